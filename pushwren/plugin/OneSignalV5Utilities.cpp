#include "pushwren/plugin/OneSignalV5Utilities.h"

#include <boost/url/rfc/pchars.hpp>
#include <boost/url/rfc/unreserved_chars.hpp>

#include "pushwren/platform/percent_encoding.h"

namespace pushwren {

const boost::urls::grammar::lut_chars& OneSignalV5Utilities::myCharacterSet() {
  // query = *( pchar / "/" / "?" ), pchar = unreserved / pct-encoded / sub-delims / ":" / "@"
  static const boost::urls::grammar::lut_chars set = boost::urls::pchars + "/?#%";
  return set;
}

std::optional<NSURL> OneSignalV5Utilities::urlWithString(std::string_view string) {
  if (string.empty()) return std::nullopt;
  return NSURL::URLWithString(percentEncoded(string, myCharacterSet()));
}

}  // namespace pushwren
