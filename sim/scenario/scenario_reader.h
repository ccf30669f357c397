#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

#include "sim/scenario/step_table.h"

namespace pushwren::sim {

// A line of a scenario or trace file that carries content: blank lines and lines whose first
// non-blank character is '#' are skipped. Numbers count from 1 over every line of the file.
struct NumberedLine {
  std::size_t number;
  std::string text;
};

std::vector<NumberedLine> contentLines(std::istream& in);

// The JSON value of a line; StepError when it is not JSON.
boost::json::value parseLine(const std::string& text);

// A step as read, with the kind it names.
struct ScenarioStep {
  boost::json::object fields;
  const StepKind* kind;
};
// StepError when the value is not a JSON object, has no "do" string, names no known step, or has
// a field that step does not take (the error lists the fields it does take).
ScenarioStep readStep(boost::json::value value);
// The same for a line of text; StepError also when it is not JSON or an object in it names a key
// twice.
ScenarioStep readStep(const std::string& text);

// Steps sent as one text: one step (a JSON object), a JSON array of steps, or JSON Lines (with
// blank and '#' lines skipped). StepError says which step is wrong: "step 2: ..." for an array,
// "line 3: ..." for JSON Lines.
std::vector<ScenarioStep> readSteps(std::string_view text);

}  // namespace pushwren::sim
