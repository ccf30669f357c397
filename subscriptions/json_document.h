#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <boost/json/storage_ptr.hpp>
#include <boost/json/value.hpp>

namespace pushwren {

// The text of a JSON document in UTF-8. The encoding is told by a byte order mark or, without
// one, by the pattern of zero bytes in the first four bytes (a JSON text starts with two ASCII
// characters): UTF-8, UTF-16 or UTF-32, either byte order. None when the bytes are not valid in
// their encoding (odd lengths, lone surrogates, code points past U+10FFFF).
std::optional<std::string> jsonTextAsUTF8(std::string_view bytes);

// A JSON document whose top level is an object or an array, as the manifest reader accepts it.
// None for anything else: a bare top-level value, bytes that are not JSON text. The document's
// memory comes from `storage` (default: the heap).
std::optional<boost::json::value> readJSONDocument(std::string_view bytes, boost::json::storage_ptr storage = {});

}  // namespace pushwren
