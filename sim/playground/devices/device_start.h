#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/object.hpp>

#include "sim/scenario/simulation.h"

namespace pushwren::sim::playground {

// A step every device of the playground starts with, and what to call it when it fails.
struct StartStep {
  boost::json::object step;
  std::string source;
};

// A device's first steps, before it launches: the built-in configuration (its manifest from
// the playground on `port`), the configuration file's properties over it, and the device a
// person meets: notifications not asked for yet, and two in-app messages.
std::vector<StartStep> startSteps(unsigned short port, const std::optional<boost::json::object>& configFile,
                                  const std::string& configFileName);

// Runs `steps` on `sim` in order; at the first that fails, says why on `err` under its source and
// stops. `ran`, when given, hears each step that ran with the trace's size before it.
bool runStartSteps(Simulation& sim, const std::vector<StartStep>& steps, std::ostream& err,
                   const std::function<void(const boost::json::object&, std::size_t)>& ran = nullptr);

// A configuration file's properties, or nothing with what is wrong said on `err`.
std::optional<boost::json::object> readConfigFile(const std::string& path, std::ostream& err);

}  // namespace pushwren::sim::playground
