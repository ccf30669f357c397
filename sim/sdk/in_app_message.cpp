#include "sim/sdk/in_app_message.h"

namespace pushwren::sim {

bool sameJsonValue(const boost::json::value& a, const boost::json::value& b) {
  if (a.is_number() && b.is_number()) {
    if (a.kind() == b.kind()) return a == b;
    return a.to_number<double>() == b.to_number<double>();
  }
  if (a.kind() != b.kind()) return false;
  if (a.is_object()) {
    const auto& left = a.get_object();
    const auto& right = b.get_object();
    if (left.size() != right.size()) return false;
    for (const auto& [key, value] : left) {
      const auto* other = right.if_contains(key);
      if (other == nullptr || !sameJsonValue(value, *other)) return false;
    }
    return true;
  }
  if (a.is_array()) {
    const auto& left = a.get_array();
    const auto& right = b.get_array();
    if (left.size() != right.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
      if (!sameJsonValue(left[i], right[i])) return false;
    }
    return true;
  }
  return a == b;
}

}  // namespace pushwren::sim
