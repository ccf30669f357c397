#pragma once

#include <memory>
#include <string_view>

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

#include "pushwren/bridge/bridge_plugin.h"
#include "pushwren/contracts/host/javascript_runner.h"

namespace pushwren::bridge {

// One bridge URL on its way through a command: the plugin it reached, the runner whose page sent
// it, and its bridge data. Lives only for the router's call.
struct BridgeRequest {
  CVPushwrenBridgePlugin& plugin;
  const std::shared_ptr<CVJavascriptRunner>& runner;
  const boost::json::object& data;

  // The bridge-data entry of that name; null when the page sent none.
  const boost::json::value* entry(std::string_view key) const { return data.if_contains(key); }
};

// A command runs to its end, answer included, within the router's call.
using BridgeCommand = void (*)(const BridgeRequest& request);

}  // namespace pushwren::bridge
