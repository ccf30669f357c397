#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pushwren/export.h"

namespace pushwren {

// One line to the platform log: standard error, unless a sink is installed (the reference host
// traces log lines; tests capture them). A control character in the line is written as JSON
// writes it in a string ("\n", "\t", "\u001b"), so the line stays one line whatever a URL or
// message holds. Safe from any thread.
PUSHWREN_EXPORT void NSLog(std::string_view line);

// The line NSLog writes for `line`.
PUSHWREN_EXPORT std::string escapedLogLine(std::string_view line);

// How a log line prints an object that may be absent: "(null)" for none.
PUSHWREN_EXPORT std::string logDescription(const std::optional<std::string>& text);

using LogSink = std::function<void(std::string_view line)>;
// Installs a sink in place of standard error; an empty sink restores standard error. The sink is
// called on the main thread: a line the plugin logs on its download thread is posted to the main
// queue and reaches the sink when the queue runs (standard error gets it at once).
PUSHWREN_EXPORT void setLogSink(LogSink sink);

}  // namespace pushwren
