#include "plugin/OneSignalV5Utilities.h"

#include <boost/url/parse.hpp>
#include <boost/url/rfc/pchars.hpp>
#include <boost/url/rfc/unreserved_chars.hpp>

namespace pushwren {

const boost::urls::grammar::lut_chars& OneSignalV5Utilities::myCharacterSet() {
  // query = *( pchar / "/" / "?" ), pchar = unreserved / pct-encoded / sub-delims / ":" / "@"
  static const boost::urls::grammar::lut_chars set = boost::urls::pchars + "/?#%";
  return set;
}

namespace {

// Percent-encodes every byte outside `allowed`. Boost.URL's own encoder will not leave "%" alone,
// and keeping existing escapes is the point here.
std::string percentEncode(std::string_view text, const boost::urls::grammar::lut_chars& allowed) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::size_t size = 0;
  for (const char c : text) size += allowed(c) ? 1 : 3;
  std::string encoded;
  encoded.reserve(size);
  for (const char c : text) {
    if (allowed(c)) {
      encoded.push_back(c);
    } else {
      const auto byte = static_cast<unsigned char>(c);
      encoded.push_back('%');
      encoded.push_back(kHex[byte >> 4]);
      encoded.push_back(kHex[byte & 0xF]);
    }
  }
  return encoded;
}

}  // namespace

std::optional<boost::urls::url> OneSignalV5Utilities::urlWithString(std::string_view string) {
  if (string.empty()) return std::nullopt;
  const auto encoded = percentEncode(string, myCharacterSet());
  const auto parsed = boost::urls::parse_uri_reference(encoded);
  if (!parsed) return std::nullopt;
  return boost::urls::url(*parsed);
}

}  // namespace pushwren
