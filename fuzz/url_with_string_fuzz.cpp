// Any string through urlWithString: the result, when there is one, is the string with every byte
// outside the allowed set percent-encoded, and it parses again to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <boost/url/parse.hpp>

#include "pushwren/plugin/OneSignalV5Utilities.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto url = pushwren::OneSignalV5Utilities::urlWithString(input);
  if (!url) return 0;
  const std::string_view text = url->absoluteString();
  const auto& allowed = pushwren::OneSignalV5Utilities::myCharacterSet();
  std::size_t at = 0;
  for (const char c : input) {
    if (allowed(c)) {
      if (text.substr(at, 1) != std::string_view(&c, 1)) std::abort();
      at += 1;
    } else {
      if (text[at] != '%') std::abort();
      at += 3;
    }
  }
  if (at != text.size()) std::abort();
  if (!boost::urls::parse_uri_reference(text)) std::abort();
  return 0;
}
