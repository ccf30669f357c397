#include "sim/playground/site/proxied_file.h"

#include <curl/curl.h>

#include <memory>

namespace pushwren::sim::playground {
namespace {

// The session's record keeps what a replay's server must answer; a body over this is not one.
constexpr curl_off_t kLargestBody = 64 << 20;

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

std::optional<ServedFile> fetchFromPlayground(const std::string& address, std::string_view path) {
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) return std::nullopt;
  const auto url = "http://" + address + std::string(path);
  ServedFile file;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 10L);
  curl_easy_setopt(curl.get(), CURLOPT_MAXFILESIZE_LARGE, kLargestBody);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, appendBody);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &file.body);
  if (curl_easy_perform(curl.get()) != CURLE_OK) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &status);
  file.status = static_cast<unsigned>(status);
  const char* type = nullptr;
  if (curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) file.contentType = type;
  return file;
}

}  // namespace pushwren::sim::playground
