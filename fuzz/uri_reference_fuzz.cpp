// Any text through the one-pass URI reference reading and through Boost.URL's parser: both must
// accept the same texts and split them into the same parts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string_view>

#include <boost/url/parse.hpp>

#include "platform/url.h"

namespace {

void same(const std::optional<std::string_view>& ours, bool present, std::string_view theirs) {
  if (ours.has_value() != present || (present && *ours != theirs)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto ours = pushwren::readURIReference(text);
  const auto theirs = boost::urls::parse_uri_reference(text);
  if (ours.has_value() != theirs.has_value()) std::abort();
  if (!ours) return 0;
  same(ours->scheme, theirs->has_scheme(), theirs->scheme());
  same(ours->host, theirs->has_authority(), theirs->encoded_host());
  if (ours->path != theirs->encoded_path()) std::abort();
  same(ours->query, theirs->has_query(), theirs->encoded_query());
  same(ours->fragment, theirs->has_fragment(), theirs->encoded_fragment());
  return 0;
}
