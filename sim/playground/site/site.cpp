#include "sim/playground/site/site.h"

#include <boost/url/parse.hpp>

namespace pushwren::sim::playground {

std::optional<Site> readSite(std::string_view text, std::string& why) {
  if (text.starts_with("http://") || text.starts_with("https://") || text.find("://") != std::string_view::npos) {
    const auto parsed = boost::urls::parse_absolute_uri(text);
    if (!parsed) {
      why = std::string(text) + " is not a well-formed URL";
      return std::nullopt;
    }
    if (parsed->scheme_id() != boost::urls::scheme::http) {
      why = std::string(text) + ": only http URLs are proxied (serve the site over plain http on this machine)";
      return std::nullopt;
    }
    if (parsed->encoded_host().empty() || parsed->has_userinfo()) {
      why = std::string(text) + ": the URL needs a host and no user name";
      return std::nullopt;
    }
    UpstreamSite site;
    site.host = parsed->host_address();
    site.port = parsed->has_port() ? std::string(parsed->port()) : "80";
    if (site.port.empty()) site.port = "80";
    const std::string hostPart(parsed->encoded_host_and_port());
    site.authority = hostPart;
    site.origin = "http://" + hostPart;
    site.startPath = parsed->encoded_path().empty() ? "/" : std::string(parsed->encoded_path());
    if (parsed->has_query()) site.startPath += "?" + std::string(parsed->encoded_query());
    return Site(std::move(site));
  }
  std::error_code ec;
  const auto root = std::filesystem::canonical(std::filesystem::path(text), ec);
  if (ec || !std::filesystem::is_directory(root, ec)) {
    why = std::string(text) + " is neither an http URL nor a folder";
    return std::nullopt;
  }
  return Site(FolderSite{root});
}

std::string siteName(const Site& site) {
  if (const auto* upstream = std::get_if<UpstreamSite>(&site)) return upstream->origin;
  return std::get<FolderSite>(site).root.string();
}

}  // namespace pushwren::sim::playground
