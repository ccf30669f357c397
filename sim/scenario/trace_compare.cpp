#include "sim/scenario/trace_compare.h"

#include <cmath>

namespace pushwren::sim {
namespace {

bool isNumber(const boost::json::value& v) { return v.is_number(); }

double numberOf(const boost::json::value& v) { return v.to_number<double>(); }

}  // namespace

bool sameTraceValue(const boost::json::value& expected, const boost::json::value& got) {
  if (expected.is_string() && got.is_string()) {
    const auto& want = expected.get_string();
    if (!want.empty() && want.back() == '*') {
      return got.get_string().subview().starts_with(want.subview().substr(0, want.size() - 1));
    }
    return want == got.get_string();
  }
  if (isNumber(expected) && isNumber(got)) {
    if (expected.kind() == got.kind()) return expected == got;
    const double a = numberOf(expected);
    const double b = numberOf(got);
    return a == b || std::fabs(a - b) <= 1e-12 * std::fmax(std::fabs(a), std::fabs(b));
  }
  if (expected.kind() != got.kind()) return false;
  if (expected.is_object()) {
    const auto& want = expected.get_object();
    const auto& have = got.get_object();
    if (want.size() != have.size()) return false;
    for (const auto& [key, value] : want) {
      const auto* other = have.if_contains(key);
      if (other == nullptr || !sameTraceValue(value, *other)) return false;
    }
    return true;
  }
  if (expected.is_array()) {
    const auto& want = expected.get_array();
    const auto& have = got.get_array();
    if (want.size() != have.size()) return false;
    for (std::size_t i = 0; i < want.size(); ++i) {
      if (!sameTraceValue(want[i], have[i])) return false;
    }
    return true;
  }
  return expected == got;
}

namespace {

std::optional<TraceMismatch> compareFrom(const std::vector<boost::json::value>& expected,
                                         const std::vector<boost::json::value>& got, std::size_t i, std::size_t j) {
  for (; i < expected.size(); ++i, ++j) {
    if (expected[i] == "...") {
      for (std::size_t k = j; k <= got.size(); ++k) {
        if (!compareFrom(expected, got, i + 1, k)) return std::nullopt;
      }
      return TraceMismatch{i, j};
    }
    if (j >= got.size() || !sameTraceValue(expected[i], got[j])) return TraceMismatch{i, j};
  }
  if (j == got.size()) return std::nullopt;
  return TraceMismatch{i, j};
}

}  // namespace

std::optional<TraceMismatch> compareTraces(const std::vector<boost::json::value>& expected,
                                           const std::vector<boost::json::value>& got) {
  return compareFrom(expected, got, 0, 0);
}

}  // namespace pushwren::sim
