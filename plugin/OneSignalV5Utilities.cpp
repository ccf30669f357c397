#include "plugin/OneSignalV5Utilities.h"

#include <boost/url/encode.hpp>
#include <boost/url/parse.hpp>
#include <boost/url/rfc/pchars.hpp>
#include <boost/url/rfc/unreserved_chars.hpp>

namespace pushwren {

const boost::urls::grammar::lut_chars& OneSignalV5Utilities::myCharacterSet() {
  // query = *( pchar / "/" / "?" ), pchar = unreserved / pct-encoded / sub-delims / ":" / "@"
  static const boost::urls::grammar::lut_chars set = boost::urls::pchars + "/?#%";
  return set;
}

std::optional<boost::urls::url> OneSignalV5Utilities::urlWithString(std::string_view string) {
  if (string.empty()) return std::nullopt;
  const auto encoded = boost::urls::encode(string, myCharacterSet());
  const auto parsed = boost::urls::parse_uri_reference(encoded);
  if (!parsed) return std::nullopt;
  return boost::urls::url(*parsed);
}

}  // namespace pushwren
