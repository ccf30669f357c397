#include "pushwren/platform/notification_center.h"

#include "pushwren/platform/shared_instance.h"

namespace pushwren {
std::shared_ptr<NSNotificationCenter> NSNotificationCenter::defaultCenter() {
  return ProcessWide<NSNotificationCenter>::get();
}

void NSNotificationCenter::setDefaultCenter(std::shared_ptr<NSNotificationCenter> center) {
  ProcessWide<NSNotificationCenter>::set(std::move(center));
}

void NSNotificationCenter::addObserver(std::string name, Handler handler) {
  std::lock_guard lock(mutex_);
  observers_.emplace_back(std::move(name), std::move(handler));
}

void NSNotificationCenter::postNotification(const NSNotification& notification) {
  std::vector<Handler> matching;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [name, handler] : observers_) {
      if (name == notification.name) matching.push_back(handler);
    }
  }
  // Outside the lock: a handler may add observers or post again.
  for (const auto& handler : matching) handler(notification);
}

}  // namespace pushwren
