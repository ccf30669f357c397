#pragma once

#include <span>
#include <string_view>

#include "pushwren/bridge/bridge_request.h"

namespace pushwren::bridge {

struct CommandEntry {
  std::string_view path;
  BridgeCommand command;
};

// Every bridge path with its command, in the order the router compares them. Paths are whole,
// case-sensitive and distinct; two paths may share one command.
std::span<const CommandEntry> commandTable();

// The command of the first entry whose path equals `path`; null when no entry has it.
BridgeCommand commandForPath(std::string_view path);

}  // namespace pushwren::bridge
