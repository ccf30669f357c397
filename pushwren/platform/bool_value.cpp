#include "pushwren/platform/bool_value.h"

#include <cctype>
#include <string_view>

namespace pushwren {
namespace {

bool stringBoolValue(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  while (i < text.size() && text[i] == '0') ++i;
  if (i == text.size()) return false;
  const char c = text[i];
  return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

}  // namespace

bool boolValue(const boost::json::value& value) {
  switch (value.kind()) {
    case boost::json::kind::bool_: return value.get_bool();
    case boost::json::kind::int64: return value.get_int64() != 0;
    case boost::json::kind::uint64: return value.get_uint64() != 0;
    case boost::json::kind::double_: return value.get_double() != 0.0;
    case boost::json::kind::string: return stringBoolValue(value.get_string());
    default: return false;
  }
}

bool boolValue(const boost::json::value* value) { return value != nullptr && boolValue(*value); }

}  // namespace pushwren
