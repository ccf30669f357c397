#include "pushwren/platform/net/url_check.h"

#include <algorithm>
#include <memory>
#include <string>
#include <sys/stat.h>

#include <curl/curl.h>

#include "pushwren/platform/ascii.h"

namespace pushwren {
namespace {

URLError unsupported(std::string why) { return URLError{"unsupported URL: " + std::move(why)}; }

// The local path of a file URL, percent-decoded; none when libcurl cannot read the URL (it then
// reports that itself).
std::optional<std::string> filePath(const std::string& url) {
  const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return std::nullopt;
  char* path = nullptr;
  if (curl_url_get(parsed.get(), CURLUPART_PATH, &path, CURLU_URLDECODE) != CURLUE_OK) return std::nullopt;
  std::string decoded(path);
  curl_free(path);
  return decoded;
}

}  // namespace

std::optional<URLError> unusableURL(std::string_view url) {
  if (url.empty()) return unsupported("the URL is empty");
  // libcurl reads the URL as a C string and would silently fetch a shortened one.
  for (const unsigned char c : url) {
    if (c <= ' ' || c == 0x7f) return unsupported("the URL contains blanks or control characters");
  }
  const auto colon = url.find(':');
  const auto scheme = url.substr(0, colon == std::string_view::npos ? 0 : colon);
  const bool wellFormed = !scheme.empty() && std::isalpha(static_cast<unsigned char>(scheme[0])) &&
                          std::all_of(scheme.begin(), scheme.end(), [](unsigned char c) {
                            return std::isalnum(c) || c == '+' || c == '-' || c == '.';
                          });
  // Without a scheme libcurl would guess one; a relative URL is not something to fetch.
  if (!wellFormed) return unsupported("\"" + std::string(url) + "\" has no scheme");
  const auto name = asciiLowercase(scheme);
  if (name == "http" || name == "https") return std::nullopt;
  if (name != "file") return unsupported("the scheme \"" + std::string(scheme) + "\" is not supported");

  const auto path = filePath(std::string(url));
  struct stat status {};
  if (path && ::stat(path->c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
    return URLError{"cannot read " + *path + ": not a regular file"};
  }
  return std::nullopt;
}

}  // namespace pushwren
