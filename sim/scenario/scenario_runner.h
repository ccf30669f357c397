#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace pushwren::sim {

// Exit codes of `pushwren-sim run`.
enum RunResult { kRunMatched = 0, kRunMismatch = 1, kRunMalformed = 2 };

// Runs a scenario file step by step in a fresh simulation. Writes the trace to `out` once the
// run is complete; on a malformed step writes "FILE:LINE: what is wrong" to `err`, runs no
// further step and writes nothing to `out`. With an expected trace, also compares and reports
// the first difference to `err`.
RunResult runScenarioFile(const std::string& path, const std::optional<std::string>& expectPath, std::ostream& out,
                          std::ostream& err);

}  // namespace pushwren::sim
