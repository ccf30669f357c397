#pragma once

#include <optional>
#include <string>
#include <vector>

#include <boost/json/value.hpp>

namespace pushwren::sim {

// Two lines match when they are equal as JSON values: key order in maps does not count, 1 and
// true differ, 1 and 1.0 are equal. An expected string ending in "*" matches any string that
// begins with what precedes the "*".
bool sameTraceValue(const boost::json::value& expected, const boost::json::value& got);

struct TraceMismatch {
  std::size_t expectedLine;  // 0-based; == expected.size() past the end
  std::size_t gotLine;
};

// The first mismatch of two traces, or none. An expected line that is the bare string "..."
// matches any run of lines, none included.
std::optional<TraceMismatch> compareTraces(const std::vector<boost::json::value>& expected,
                                           const std::vector<boost::json::value>& got);

}  // namespace pushwren::sim
