#include "sim/scenario/scenario_runner.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "sim/scenario/scenario_reader.h"
#include "sim/scenario/simulation.h"
#include "sim/scenario/trace_compare.h"

namespace pushwren::sim {
namespace {

// A folder opens as a stream that reads as empty: without this check it would run as an empty
// scenario and pass.
bool openFile(std::ifstream& in, const std::string& path, std::ostream& err) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    err << path << ": is a folder; name a file\n";
    return false;
  }
  in.open(path);
  if (!in) {
    err << path << ": cannot be read\n";
    return false;
  }
  return true;
}

std::optional<std::vector<boost::json::value>> readTrace(const std::string& path, std::ostream& err) {
  std::ifstream in;
  if (!openFile(in, path, err)) return std::nullopt;
  std::vector<boost::json::value> lines;
  for (const auto& line : contentLines(in)) {
    try {
      lines.push_back(parseLine(line.text));
    } catch (const StepError& e) {
      err << path << ':' << line.number << ": " << e.what() << '\n';
      return std::nullopt;
    }
  }
  return lines;
}

}  // namespace

RunResult runScenarioFile(const std::string& path, const std::optional<std::string>& expectPath, std::ostream& out,
                          std::ostream& err) {
  std::ifstream in;
  if (!openFile(in, path, err)) return kRunMalformed;
  std::optional<std::vector<boost::json::value>> expected;
  if (expectPath && !(expected = readTrace(*expectPath, err))) return kRunMalformed;

  Simulation sim;
  sim.settle();
  for (const auto& line : contentLines(in)) {
    try {
      const auto step = readStep(line.text);
      sim.runStep(step.kind->handler, StepFields(step.fields));
    } catch (const StepError& e) {
      err << path << ':' << line.number << ": " << e.what() << '\n';
      return kRunMalformed;
    }
  }

  const auto text = sim.trace().textLines();
  for (const auto& line : text) out << line << '\n';
  out.flush();
  if (!expected) return kRunMatched;

  std::vector<boost::json::value> got;
  got.reserve(text.size());
  for (const auto& line : text) got.push_back(boost::json::parse(line));
  const auto mismatch = compareTraces(*expected, got);
  if (!mismatch) return kRunMatched;
  const auto show = [](const std::vector<boost::json::value>& lines, std::size_t at, const char* end) {
    return at < lines.size() ? boost::json::serialize(lines[at]) : std::string(end);
  };
  err << "trace differs from " << *expectPath << "\n  expected line " << mismatch->expectedLine + 1 << ": "
      << show(*expected, mismatch->expectedLine, "(end of expected trace)") << "\n       got line "
      << mismatch->gotLine + 1 << ": " << show(got, mismatch->gotLine, "(end of trace)") << '\n';
  return kRunMismatch;
}

}  // namespace pushwren::sim
