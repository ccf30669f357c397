#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pushwren {

// The text of a JSON document in UTF-8, without its byte order mark. The encoding is told by a
// byte order mark or, without one, by the pattern of zero bytes in the first four bytes (a JSON
// text starts with two ASCII characters): UTF-8, UTF-16 or UTF-32, either byte order. UTF-8 is
// given as a view of `bytes`; anything else as a view of its conversion, kept in `converted`.
// None when the bytes are not valid in their encoding (odd lengths, lone surrogates, code points
// past U+10FFFF).
std::optional<std::string_view> jsonTextInUTF8(std::string_view bytes, std::string& converted);

}  // namespace pushwren
