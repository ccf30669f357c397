#include "sim/playground/site/upstream_rewrites.h"

#include <algorithm>
#include <cctype>

#include <boost/url/parse.hpp>

namespace pushwren::sim::playground {
namespace {

bool sameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

}  // namespace

std::string locationForPlayground(std::string_view location, const UpstreamSite& site) {
  const auto parsed = boost::urls::parse_uri_reference(location);
  if (!parsed || !parsed->has_authority()) return std::string(location);
  if (parsed->has_scheme() && parsed->scheme_id() != boost::urls::scheme::http) return std::string(location);
  const auto port = parsed->has_port() ? std::string(parsed->port()) : std::string("80");
  if (!sameText(parsed->host_address(), site.host) || port != site.port || parsed->has_userinfo()) {
    return std::string(location);
  }
  std::string path(parsed->encoded_path());
  if (path.empty()) path = "/";
  // "//evil.example/x" on its own is a reference to another host; "/.//evil.example/x" is the
  // site's path "//evil.example/x" on the playground's origin, as the site meant it.
  if (path.size() > 1 && (path[1] == '/' || path[1] == '\\')) path.insert(0, "/.");
  if (parsed->has_query()) path += "?" + std::string(parsed->encoded_query());
  if (parsed->has_fragment()) path += "#" + std::string(parsed->encoded_fragment());
  return path;
}

std::string cookieForPlayground(std::string_view setCookie) {
  std::string kept;
  std::size_t start = 0;
  bool first = true;
  while (start <= setCookie.size()) {
    const auto end = std::min(setCookie.find(';', start), setCookie.size());
    const auto part = setCookie.substr(start, end - start);
    const auto name = trimmed(part.substr(0, part.find('=')));
    // The first part is the cookie itself, whatever it is called.
    if (first || !sameText(name, "domain")) {
      if (!first) kept += ';';
      kept += part;
    }
    first = false;
    start = end + 1;
  }
  return kept;
}

std::string policyForWebView(std::string_view contentSecurityPolicy) {
  std::string kept;
  std::size_t start = 0;
  while (start <= contentSecurityPolicy.size()) {
    const auto end = std::min(contentSecurityPolicy.find(';', start), contentSecurityPolicy.size());
    const auto directive = contentSecurityPolicy.substr(start, end - start);
    const auto trimmedDirective = trimmed(directive);
    const auto name = trimmedDirective.substr(0, trimmedDirective.find_first_of(" \t"));
    if (!trimmedDirective.empty() && !sameText(name, "frame-ancestors")) {
      if (!kept.empty()) kept += "; ";
      kept += trimmedDirective;
    }
    start = end + 1;
  }
  return kept;
}

std::string addressForSite(std::string_view value, std::string_view playgroundOrigin, const UpstreamSite& site) {
  if (!value.starts_with(playgroundOrigin)) return std::string(value);
  const auto rest = value.substr(playgroundOrigin.size());
  if (!rest.empty() && rest.front() != '/') return std::string(value);
  return site.origin + std::string(rest);
}

}  // namespace pushwren::sim::playground
