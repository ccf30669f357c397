#include "sim/scenario/scenario_reader.h"

#include <sstream>

#include <boost/json/parse.hpp>

namespace pushwren::sim {

std::vector<NumberedLine> contentLines(std::istream& in) {
  std::vector<NumberedLine> lines;
  std::string text;
  for (std::size_t number = 1; std::getline(in, text); ++number) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos || text[first] == '#') continue;
    lines.push_back({number, std::move(text)});
  }
  return lines;
}

boost::json::value parseLine(const std::string& text) {
  boost::system::error_code ec;
  auto value = boost::json::parse(text, ec);
  if (ec) throw StepError("not JSON: " + ec.message());
  return value;
}

ScenarioStep readStep(boost::json::value value) {
  if (!value.is_object()) throw StepError("a step must be a JSON object");
  const auto name = StepFields(value.get_object()).string("do");
  const auto* kind = findStep(name);
  if (kind == nullptr) unknownStep(name);
  return {std::move(value.get_object()), kind};
}

ScenarioStep readStep(const std::string& text) { return readStep(parseLine(text)); }

std::vector<ScenarioStep> readSteps(std::string_view text) {
  boost::system::error_code ec;
  auto whole = boost::json::parse(text, ec);
  std::vector<ScenarioStep> steps;
  if (!ec && whole.is_array()) {
    auto& list = whole.get_array();
    for (std::size_t i = 0; i < list.size(); ++i) {
      try {
        steps.push_back(readStep(std::move(list[i])));
      } catch (const StepError& e) {
        throw StepError("step " + std::to_string(i + 1) + ": " + e.what());
      }
    }
    return steps;
  }
  if (!ec) {
    steps.push_back(readStep(std::move(whole)));
    return steps;
  }
  std::istringstream in{std::string(text)};
  const auto lines = contentLines(in);
  if (lines.empty()) throw StepError("no step given: send a JSON object, a JSON array of them, or JSON Lines");
  // A single line that is not JSON is reported as the body it is.
  if (lines.size() == 1) throw StepError("not JSON: " + ec.message());
  for (const auto& line : lines) {
    try {
      steps.push_back(readStep(line.text));
    } catch (const StepError& e) {
      throw StepError("line " + std::to_string(line.number) + ": " + e.what());
    }
  }
  return steps;
}

}  // namespace pushwren::sim
