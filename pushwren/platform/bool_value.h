#pragma once

#include <boost/json/value.hpp>

namespace pushwren {

// The boolean reading of a value, as the platform's boolValue gives it for numbers and strings.
// A number reads true when it is not zero (true reads true). A string reads true when, after
// leading white space, an optional sign and any zeros, its next character is Y, y, T, t or a
// digit 1 to 9. Null, maps and lists read false: they carry no boolean, and reading them must
// not fail.
bool boolValue(const boost::json::value& value);
// A missing value reads false.
bool boolValue(const boost::json::value* value);

}  // namespace pushwren
