#pragma once

#include <chrono>
#include <string>

namespace pushwren::sim::playground {

// How long the proxy waits on the site's server, and how long a site's WebSocket may stay
// silent. A site's server on this machine connects at once; one that has not answered a
// request's header within `answer` is taken to be stuck. Dev servers keep their live channels
// busy with pings far more often than `tunnelIdle`, so only abandoned tunnels reach it.
struct ProxyLimits {
  std::chrono::milliseconds connect = std::chrono::seconds(5);
  std::chrono::milliseconds answer = std::chrono::seconds(30);
  std::chrono::milliseconds piece = std::chrono::seconds(60);
  std::chrono::milliseconds tunnelIdle = std::chrono::minutes(5);
};

// "5 s", or "250 ms" for a limit under a second or not a whole number of seconds.
inline std::string spokenDuration(std::chrono::milliseconds duration) {
  if (duration.count() % 1000 == 0) return std::to_string(duration.count() / 1000) + " s";
  return std::to_string(duration.count()) + " ms";
}

}  // namespace pushwren::sim::playground
