#include "plugin/OneSignalV5Utilities.h"

#include <algorithm>

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
  // Up to the first byte to encode, the text is copied as it is.
  std::size_t first = 0;
  while (first < text.size() && allowed(text[first])) ++first;
  std::size_t size = first;
  for (std::size_t i = first; i < text.size(); ++i) size += allowed(text[i]) ? 1 : 3;
  std::string encoded(size, '\0');
  char* out = encoded.data();
  out = std::copy_n(text.data(), first, out);
  for (std::size_t i = first; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (allowed(text[i])) {
      *out++ = text[i];
    } else {
      *out++ = '%';
      *out++ = kHex[byte >> 4];
      *out++ = kHex[byte & 0xF];
    }
  }
  return encoded;
}

}  // namespace

std::optional<NSURL> OneSignalV5Utilities::urlWithString(std::string_view string) {
  if (string.empty()) return std::nullopt;
  // Most strings are URLs already, with nothing to encode: they are checked in one pass. A plain
  // string that is no URL is refused again below, at no more than the cost of a copy.
  if (auto url = NSURL::URLWithPlainString(string)) return url;
  return NSURL::URLWithString(percentEncode(string, myCharacterSet()));
}

}  // namespace pushwren
