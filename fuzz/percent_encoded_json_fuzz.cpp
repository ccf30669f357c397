// Any string through the percent-encoded JSON reading and its decoding step: no crash, and a
// decoded string is always valid UTF-8 (Boost.JSON would refuse to serialise it otherwise).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <boost/json/serialize.hpp>

#include "pushwren/bridge/readings.h"
#include "pushwren/platform/percent_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto decoded = pushwren::removingPercentEncoding(text)) {
    // Without a "%" nothing changes.
    if (text.find('%') == std::string_view::npos && *decoded != text) __builtin_trap();
  }
  if (const auto value = pushwren::percentEncodedJson(text)) (void)boost::json::serialize(*value);
  return 0;
}
