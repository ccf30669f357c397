#include "sim/playground/server/origin_policy.h"

#include <string>

namespace pushwren::sim::playground {

bool isOwnOrigin(std::string_view origin, unsigned short port) {
  return origin.starts_with("http://") && isOwnHost(origin.substr(7), port);
}

bool originAllowed(std::optional<std::string_view> origin, unsigned short port) {
  return !origin || isOwnOrigin(*origin, port);
}

bool isOwnHost(std::string_view host, unsigned short port) {
  const std::string suffix = ":" + std::to_string(port);
  return host == "127.0.0.1" + suffix || host == "localhost" + suffix;
}

}  // namespace pushwren::sim::playground
