#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pushwren {

// The text of a JSON document in UTF-8. The encoding is told by a byte order mark or, without
// one, by the pattern of zero bytes in the first four bytes (a JSON text starts with two ASCII
// characters): UTF-8, UTF-16 or UTF-32, either byte order. None when the bytes are not valid in
// their encoding (odd lengths, lone surrogates, code points past U+10FFFF).
std::optional<std::string> jsonTextAsUTF8(std::string_view bytes);

// The same without a copy when it can be had: a view of `bytes` past any byte order mark when
// they are UTF-8 already, else of their conversion, kept in `converted`.
std::optional<std::string_view> jsonTextInUTF8(std::string_view bytes, std::string& converted);

}  // namespace pushwren
