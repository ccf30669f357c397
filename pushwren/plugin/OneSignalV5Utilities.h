#pragma once

#include <optional>
#include <string_view>

#include <boost/url/grammar/lut_chars.hpp>

#include "pushwren/platform/url.h"

namespace pushwren {

class OneSignalV5Utilities {
 public:
  OneSignalV5Utilities() = delete;

  // A URL made of the string: every character outside myCharacterSet is percent-encoded as its
  // UTF-8 bytes ("%" and two upper-case hex digits), and the result must be an absolute URL or a
  // relative reference. Its absolute string form is the encoded string. None when
  // the string is empty or the encoded string does not parse.
  static std::optional<NSURL> urlWithString(std::string_view string);

  // The characters a URL query may hold, plus "#" and "%": what is already a URL stays as it is.
  // Made on first use, once for the process.
  static const boost::urls::grammar::lut_chars& myCharacterSet();
};

}  // namespace pushwren
