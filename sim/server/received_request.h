#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pushwren::sim {

// A request as the scenario server read it, for tests that look at what a client sent.
struct ReceivedRequest {
  std::string method;
  std::string target;  // path and query, as sent
  std::vector<std::pair<std::string, std::string>> headers;

  std::string path() const { return target.substr(0, target.find('?')); }
  // Header names compare without regard to case.
  bool hasHeader(std::string_view name) const {
    const auto same = [&](const std::string& other) {
      return std::equal(other.begin(), other.end(), name.begin(), name.end(),
                        [](unsigned char a, unsigned char b) { return std::tolower(a) == std::tolower(b); });
    };
    return std::any_of(headers.begin(), headers.end(), [&](const auto& header) { return same(header.first); });
  }
};

}  // namespace pushwren::sim
