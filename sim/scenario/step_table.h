#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/array.hpp>

#include "sim/scenario/step_fields.h"

namespace pushwren::sim {

class Simulation;
using StepHandler = std::function<void(Simulation&, const StepFields&)>;

// A field of a step, as a person reads it in the list of steps.
struct StepFieldDoc {
  std::string_view name;
  std::string_view kind;  // what it holds, in words
  bool optional = false;
};

// A step the engine runs: its name ("do"), its fields, what it does in one line, and its handler.
// A handler checks everything it reads before it changes anything, so a step that cannot run
// (StepError) leaves the device as it was.
struct StepKind {
  std::string_view name;
  std::vector<StepFieldDoc> fields;
  std::string_view description;
  StepHandler handler;
};
using StepTable = std::vector<StepKind>;

// Each file of steps adds its own to the table.
void addHostSteps(StepTable& table);
void addBridgeSteps(StepTable& table);
void addEventSteps(StepTable& table);
void addServerSteps(StepTable& table);
void addScreenSteps(StepTable& table);
void addDeviceLifeSteps(StepTable& table);

// Every step, in the order a person reads them.
const StepTable& allSteps();
// The step of that name; none when there is none.
const StepKind* findStep(std::string_view name);
// StepError: unknown step "NAME"; the steps are: config, sdk, ...
[[noreturn]] void unknownStep(std::string_view name);

// The list of steps for a person: each with its fields and description.
void printSteps(std::ostream& out);
// The same as JSON: [{"do": name, "fields": [{"name", "kind", "optional"}], "description"}].
boost::json::array stepsAsJson();

}  // namespace pushwren::sim
