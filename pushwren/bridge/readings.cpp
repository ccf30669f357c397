#include "pushwren/bridge/readings.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include <boost/json/parse.hpp>

#include "pushwren/platform/json_depth.h"
#include "pushwren/platform/percent_encoding.h"

namespace pushwren {
namespace {

constexpr long kLongMax = std::numeric_limits<long>::max();
constexpr long kLongMin = std::numeric_limits<long>::min();
static_assert(sizeof(long) == sizeof(std::int64_t), "a JSON integer fits a long");

long saturatedLong(double number) {
  // Compared as doubles: the long limits round to +-2^63, and every double strictly between
  // them converts exactly after the cut toward zero.
  if (number >= static_cast<double>(kLongMax)) return kLongMax;
  if (number <= static_cast<double>(kLongMin)) return kLongMin;
  return static_cast<long>(number);
}

// A plain decimal number: an optional sign, digits, and optionally a point with more digits;
// nothing else, not even white space. Deliberately independent of the user's locale: a page
// sends "3" or "2.5" whatever region the device is set to, and a region whose decimal separator
// is a comma must not turn "2.5" into 25. The fraction is cut off; a value beyond the range of
// long is held at its limit.
std::optional<long> decimalLong(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

  // Magnitude up to that of kLongMin, beyond which it stays put.
  constexpr auto limit = static_cast<std::uint64_t>(kLongMax) + 1;
  std::uint64_t magnitude = 0;
  const std::size_t digitsStart = i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - '0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (i == digitsStart) return std::nullopt;

  if (i < text.size() && text[i] == '.') {
    const std::size_t fractionStart = ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == fractionStart) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;

  if (negative) return magnitude == limit ? kLongMin : -static_cast<long>(magnitude);
  return magnitude > static_cast<std::uint64_t>(kLongMax) ? kLongMax : static_cast<long>(magnitude);
}

}  // namespace

ValueKind kindOf(const boost::json::value* value) {
  if (value == nullptr) return ValueKind::none;
  switch (value->kind()) {
    case boost::json::kind::bool_:
    case boost::json::kind::int64:
    case boost::json::kind::uint64:
    case boost::json::kind::double_: return ValueKind::number;
    case boost::json::kind::string: return ValueKind::string;
    case boost::json::kind::object: return ValueKind::map;
    case boost::json::kind::array: return ValueKind::list;
    case boost::json::kind::null: return ValueKind::none;
  }
  return ValueKind::none;
}

std::optional<boost::json::value> percentEncodedJson(std::string_view text) {
  const auto decoded = removingPercentEncoding(text);
  if (!decoded) return std::nullopt;
  boost::json::parse_options options;
  options.max_depth = kMaxJsonDepth;
  boost::system::error_code error;
  auto parsed = boost::json::parse(*decoded, error, {}, options);
  if (error) return std::nullopt;
  return parsed;
}

std::optional<boost::json::object> mapReading(const boost::json::value* value) {
  switch (kindOf(value)) {
    case ValueKind::map: return value->get_object();
    case ValueKind::string: {
      auto parsed = percentEncodedJson(value->get_string());
      if (parsed && parsed->is_object()) return std::move(parsed->get_object());
      return std::nullopt;
    }
    default: return std::nullopt;
  }
}

std::string numberString(const boost::json::value& number) {
  switch (number.kind()) {
    case boost::json::kind::bool_: return number.get_bool() ? "1" : "0";
    case boost::json::kind::int64: return std::to_string(number.get_int64());
    case boost::json::kind::uint64: return std::to_string(number.get_uint64());
    case boost::json::kind::double_: {
      char buffer[64];
      const auto written = std::to_chars(buffer, buffer + sizeof buffer, number.get_double());
      return {buffer, written.ptr};
    }
    default: return {};
  }
}

std::optional<long> badgeCount(const boost::json::value* count) {
  if (count == nullptr) return std::nullopt;
  switch (count->kind()) {
    case boost::json::kind::bool_: return count->get_bool() ? 1 : 0;
    case boost::json::kind::int64: return static_cast<long>(count->get_int64());
    case boost::json::kind::uint64: {
      const auto number = count->get_uint64();
      return number > static_cast<std::uint64_t>(kLongMax) ? kLongMax : static_cast<long>(number);
    }
    case boost::json::kind::double_: {
      const double number = count->get_double();
      if (std::isnan(number)) return std::nullopt;
      return saturatedLong(number);
    }
    case boost::json::kind::string: return decimalLong(count->get_string());
    default: return std::nullopt;
  }
}

}  // namespace pushwren
