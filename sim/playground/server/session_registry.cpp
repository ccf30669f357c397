#include "sim/playground/server/session_registry.h"

#include <algorithm>

namespace pushwren::sim::playground {

void SessionRegistry::add(const std::shared_ptr<Closeable>& session) {
  std::erase_if(sessions_, [](const auto& weak) { return weak.expired(); });
  sessions_.push_back(session);
}

void SessionRegistry::closeAll() {
  for (const auto& weak : sessions_) {
    if (const auto session = weak.lock()) session->close();
  }
}

bool SessionRegistry::anyAlive() const {
  return std::any_of(sessions_.begin(), sessions_.end(), [](const auto& weak) { return !weak.expired(); });
}

}  // namespace pushwren::sim::playground
