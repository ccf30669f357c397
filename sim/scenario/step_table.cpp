#include "sim/scenario/step_table.h"

#include <algorithm>

namespace pushwren::sim {

const StepTable& allSteps() {
  static const StepTable table = [] {
    StepTable built;
    addHostSteps(built);
    addBridgeSteps(built);
    addEventSteps(built);
    addServerSteps(built);
    addScreenSteps(built);
    addDeviceLifeSteps(built);
    return built;
  }();
  return table;
}

const StepKind* findStep(std::string_view name) {
  const auto& steps = allSteps();
  const auto found = std::find_if(steps.begin(), steps.end(), [&](const StepKind& kind) { return kind.name == name; });
  return found == steps.end() ? nullptr : &*found;
}

void unknownStep(std::string_view name) {
  std::string names;
  for (const auto& kind : allSteps()) names += (names.empty() ? "" : ", ") + std::string(kind.name);
  throw StepError("unknown step \"" + std::string(name) + "\"; the steps are: " + names);
}

void printSteps(std::ostream& out) {
  for (const auto& kind : allSteps()) {
    out << kind.name;
    for (const auto& field : kind.fields) {
      out << (field.optional ? "  [" : "  ") << field.name << ": " << field.kind << (field.optional ? "]" : "");
    }
    out << "\n    " << kind.description << '\n';
  }
}

boost::json::array stepsAsJson() {
  boost::json::array steps;
  for (const auto& kind : allSteps()) {
    boost::json::array fields;
    for (const auto& field : kind.fields) {
      fields.emplace_back(boost::json::object{{"name", field.name}, {"kind", field.kind}, {"optional", field.optional}});
    }
    steps.emplace_back(
        boost::json::object{{"do", kind.name}, {"fields", std::move(fields)}, {"description", kind.description}});
  }
  return steps;
}

}  // namespace pushwren::sim
