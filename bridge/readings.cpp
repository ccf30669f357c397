#include "bridge/readings.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include <boost/json/parse.hpp>

namespace pushwren {
namespace {

constexpr long kLongMax = std::numeric_limits<long>::max();
constexpr long kLongMin = std::numeric_limits<long>::min();
static_assert(sizeof(long) == sizeof(std::int64_t), "a JSON integer fits a long");

std::optional<unsigned> hexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  return std::nullopt;
}

// Well-formed UTF-8 as RFC 3629 has it: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view bytes) {
  const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const auto continuation = [&](std::size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return i < bytes.size() && at(i) >= low && at(i) <= high;
  };
  std::size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = at(i);
    if (lead < 0x80) {
      i += 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      if (!continuation(i + 1)) return false;
      i += 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80;
      const unsigned char high = lead == 0xED ? 0x9F : 0xBF;
      if (!continuation(i + 1, low, high) || !continuation(i + 2)) return false;
      i += 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      const unsigned char low = lead == 0xF0 ? 0x90 : 0x80;
      const unsigned char high = lead == 0xF4 ? 0x8F : 0xBF;
      if (!continuation(i + 1, low, high) || !continuation(i + 2) || !continuation(i + 3)) return false;
      i += 4;
    } else {
      return false;
    }
  }
  return true;
}

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

std::optional<std::string> removingPercentEncoding(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (text.size() - i < 3) return std::nullopt;
    const auto high = hexDigit(text[i + 1]);
    const auto low = hexDigit(text[i + 2]);
    if (!high || !low) return std::nullopt;
    decoded += static_cast<char>(*high * 16 + *low);
    i += 2;
  }
  if (!isValidUtf8(decoded)) return std::nullopt;
  return decoded;
}

std::optional<boost::json::value> percentEncodedJson(std::string_view text) {
  const auto decoded = removingPercentEncoding(text);
  if (!decoded) return std::nullopt;
  boost::system::error_code error;
  auto parsed = boost::json::parse(*decoded, error);
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
