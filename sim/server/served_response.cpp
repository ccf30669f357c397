#include "sim/server/served_response.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace pushwren::sim {
namespace {

constexpr std::size_t kLongestHeader = 8192;

// RFC 9110 token characters.
bool isHeaderName(std::string_view name) {
  constexpr std::string_view extra = "!#$%&'*+-.^_`|~";
  return !name.empty() && name.size() <= kLongestHeader && std::all_of(name.begin(), name.end(), [&](unsigned char c) {
           return std::isalnum(c) || extra.find(static_cast<char>(c)) != std::string_view::npos;
         });
}

bool isHeaderValue(std::string_view value) {
  return value.size() <= kLongestHeader && std::none_of(value.begin(), value.end(), [](unsigned char c) {
           return c == '\r' || c == '\n' || c == '\0';
         });
}

}  // namespace

std::optional<std::string> unservable(const ServedResponse& response) {
  // An informational status (1xx) is not an answer: the client would go on waiting for one.
  if (response.status < 200 || response.status > 999) {
    return "the status must be a final HTTP status from 200 to 999, not " + std::to_string(response.status);
  }
  for (const auto& [name, value] : response.headers) {
    if (!isHeaderName(name)) return "\"" + name + "\" is not a valid header name";
    if (!isHeaderValue(value)) return "the value of header \"" + name + "\" has a line break or is too long";
  }
  if (response.delay.count() < 0 || response.delay > kLongestDelay) {
    return "the delay must be from 0 to " + std::to_string(kLongestDelay.count()) + " ms";
  }
  return std::nullopt;
}

}  // namespace pushwren::sim
