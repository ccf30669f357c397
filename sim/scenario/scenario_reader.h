#pragma once

#include <istream>
#include <string>
#include <vector>

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

#include "sim/scenario/simulation.h"

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

// The step a line names, with its handler: StepError when the line is not a JSON object, has no
// "do" string, or names no known step.
struct ScenarioStep {
  boost::json::object fields;
  const StepHandler* handler;
};
ScenarioStep readStep(const std::string& text);

}  // namespace pushwren::sim
