#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pushwren::sim {

// How the scenario server answers GET of one path.
struct ServedResponse {
  int status = 200;
  std::string body;  // not sent with 204 and 304, which carry no body
  std::vector<std::pair<std::string, std::string>> headers;  // later ones replace earlier ones of the same name
  std::chrono::milliseconds delay{0};
  bool drop = false;  // close the connection without an answer
  bool hold = false;  // keep each request unanswered until release()
};

// What makes a response impossible to send (a status outside 200..999, a header that is not a
// valid name or value, a negative or absurd delay), or none.
std::optional<std::string> unservable(const ServedResponse& response);

inline constexpr std::chrono::milliseconds kLongestDelay = std::chrono::hours(1);

}  // namespace pushwren::sim
