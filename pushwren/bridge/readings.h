#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

namespace pushwren {

// The kinds of bridge-data values that the commands tell apart. A boolean counts as a number;
// a missing entry and a null are `none` and pass no test.
enum class ValueKind { none, string, number, map, list };

ValueKind kindOf(const boost::json::value* value);

// The page's way of sending a map or list as a string: percent-encoded JSON text. None when the
// decoding fails (see removingPercentEncoding), the text is not JSON, or it nests deeper than
// kMaxJsonDepth.
std::optional<boost::json::value> percentEncodedJson(std::string_view text);

// A map argument: a map as it is, or a string whose percent-encoded JSON reading is a map. None
// for anything else.
std::optional<boost::json::object> mapReading(const boost::json::value* value);

// The string form of a number for a login id: integers as their digits, booleans as 1 and 0,
// other numbers in their shortest round-trip form (4.5 as "4.5"). Only for kindOf() == number.
std::string numberString(const boost::json::value& number);

// The badge number that a "count" value asks for: a number, or a string holding a plain decimal
// number, cut toward zero and held within the range of long. None for anything else.
std::optional<long> badgeCount(const boost::json::value* count);

}  // namespace pushwren
