#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace pushwren {

// One line to the platform log: standard error, unless a sink is installed (the reference host
// traces log lines; tests capture them). Safe from any thread.
void NSLog(std::string_view line);

using LogSink = std::function<void(std::string_view line)>;
// Installs a sink in place of standard error; an empty sink restores standard error.
void setLogSink(LogSink sink);

}  // namespace pushwren
