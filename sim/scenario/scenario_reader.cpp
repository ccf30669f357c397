#include "sim/scenario/scenario_reader.h"

#include <algorithm>
#include <sstream>

#include <boost/json/parse.hpp>

#include "sim/scenario/duplicate_keys.h"

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

namespace {

// A misspelt field would otherwise be skipped, and the step run without what its writer meant.
void refuseUnknownFields(const boost::json::object& step, const StepKind& kind) {
  for (const auto& member : step) {
    const auto key = member.key();
    if (key == "do") continue;
    const auto known = std::any_of(kind.fields.begin(), kind.fields.end(),
                                   [&](const StepFieldDoc& field) { return field.name == key; });
    if (known) continue;
    std::string fields;
    for (const auto& field : kind.fields) fields += (fields.empty() ? "" : ", ") + std::string(field.name);
    throw StepError("step \"" + std::string(kind.name) + "\" has no field \"" + std::string(key) + "\"; " +
                    (fields.empty() ? std::string("it takes none") : "its fields are: " + fields));
  }
}

void refuseDuplicateKeys(std::string_view text) {
  if (const auto key = firstDuplicateKey(text)) {
    throw StepError("the key \"" + *key + "\" is given twice; give each key once");
  }
}

}  // namespace

ScenarioStep readStep(boost::json::value value) {
  if (!value.is_object()) throw StepError("a step must be a JSON object");
  const auto name = StepFields(value.get_object()).string("do");
  const auto* kind = findStep(name);
  if (kind == nullptr) unknownStep(name);
  refuseUnknownFields(value.get_object(), *kind);
  return {std::move(value.get_object()), kind};
}

ScenarioStep readStep(const std::string& text) {
  auto value = parseLine(text);
  refuseDuplicateKeys(text);
  return readStep(std::move(value));
}

std::vector<ScenarioStep> readSteps(std::string_view text) {
  boost::system::error_code ec;
  auto whole = boost::json::parse(text, ec);
  std::vector<ScenarioStep> steps;
  if (!ec) refuseDuplicateKeys(text);
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
  // A single step, perhaps under comments, is reported as the body it is, without a line number.
  if (lines.size() == 1) {
    steps.push_back(readStep(lines.front().text));
    return steps;
  }
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
