#include "sim/playground/origin_policy.h"

#include <string>

namespace pushwren::sim::playground {

bool isOwnOrigin(std::string_view origin, unsigned short port) {
  const std::string suffix = ":" + std::to_string(port);
  return origin == "http://127.0.0.1" + suffix || origin == "http://localhost" + suffix;
}

bool originAllowed(std::optional<std::string_view> origin, unsigned short port) {
  return !origin || isOwnOrigin(*origin, port);
}

}  // namespace pushwren::sim::playground
