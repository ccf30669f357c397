#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <boost/url/grammar/lut_chars.hpp>

namespace pushwren {

// Well-formed UTF-8 as RFC 3629 has it: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUTF8(std::string_view bytes);

// Each "%" with two hexadecimal digits becomes that byte; every other character, "+" included,
// stays as it is. None when a "%" is not followed by two hexadecimal digits.
std::optional<std::string> percentDecodedBytes(std::string_view text);

// The same, and also none when the decoded bytes are not valid UTF-8.
std::optional<std::string> removingPercentEncoding(std::string_view text);

// A checked part of a URI reference with its escapes decoded; text with a malformed escape
// stays as it is.
std::string percentDecoded(std::string_view text);

// Every byte outside `allowed` as "%" and two upper-case hexadecimal digits. Unlike Boost.URL's
// encoder this leaves "%" alone when `allowed` holds it, so existing escapes are kept.
std::string percentEncoded(std::string_view text, const boost::urls::grammar::lut_chars& allowed);

}  // namespace pushwren
