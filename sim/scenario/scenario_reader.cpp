#include "sim/scenario/scenario_reader.h"

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

ScenarioStep readStep(const std::string& text) {
  auto line = parseLine(text);
  if (!line.is_object()) throw StepError("a step must be a JSON object");
  const auto name = StepFields(line.get_object()).string("do");
  const auto& steps = allSteps();
  const auto step = steps.find(name);
  if (step == steps.end()) throw StepError("unknown step \"" + name + "\"");
  return {std::move(line.get_object()), &step->second};
}

}  // namespace pushwren::sim
