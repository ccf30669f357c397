#include "pushwren/platform/url.h"

#include <algorithm>

#include <boost/url/parse.hpp>

namespace pushwren {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The authority's text as RFC 3986 delimits it: after "//", up to the first "/", "?" or "#".
// A scheme holds no "/", so the first "//" of a URL with an authority is the one that opens it.
std::string_view authorityText(std::string_view text) {
  const auto start = text.find("//");
  if (start == std::string_view::npos) return {};
  const auto rest = text.substr(start + 2);
  return rest.substr(0, std::min(rest.find_first_of("/?#"), rest.size()));
}

// authority = [ userinfo "@" ] host [ ":" port ]; the user information holds no "@", so the
// host and port are what follows the first one.
bool isWholeAuthority(std::string_view authority) {
  const auto at = authority.find('@');
  const auto hostAndPort = at == std::string_view::npos ? authority : authority.substr(at + 1);
  if (hostAndPort.find('@') != std::string_view::npos) return false;
  // An IP literal's colons are inside its brackets.
  const auto literalEnd = hostAndPort.rfind(']');
  const auto colon = hostAndPort.find(':', literalEnd == std::string_view::npos ? 0 : literalEnd);
  if (colon == std::string_view::npos) return true;
  const auto port = hostAndPort.substr(colon + 1);
  return std::all_of(port.begin(), port.end(), isDigit);
}

}  // namespace

std::optional<URIReference> readURIReference(std::string_view text) {
  const auto parsed = boost::urls::parse_uri_reference(text);
  if (!parsed) return std::nullopt;
  URIReference parts;
  if (parsed->has_scheme()) parts.scheme = parsed->scheme();
  parts.path = parsed->encoded_path();
  if (parsed->has_authority()) {
    if (!parts.path.empty() && !parts.path.starts_with('/')) return std::nullopt;
    if (!isWholeAuthority(authorityText(text))) return std::nullopt;
    parts.host = parsed->encoded_host();
  }
  if (parsed->has_query()) parts.query = parsed->encoded_query();
  if (parsed->has_fragment()) parts.fragment = parsed->encoded_fragment();
  return parts;
}

std::optional<NSURL> NSURL::URLWithString(std::string text) {
  if (!readURIReference(text)) return std::nullopt;
  return NSURL(std::move(text));
}

}  // namespace pushwren
