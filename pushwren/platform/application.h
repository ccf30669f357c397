#pragma once

#include <atomic>
#include <memory>

#include "pushwren/export.h"
#include "pushwren/platform/atomic_property.h"

namespace pushwren {

// The app's delegate. The host's delegate may answer more (see contracts/host/app_delegate.h).
class PUSHWREN_EXPORT UIApplicationDelegate {
 public:
  virtual ~UIApplicationDelegate() = default;
};

// The application object: its delegate and the app icon's badge number.
class PUSHWREN_EXPORT UIApplication {
 public:
  virtual ~UIApplication() = default;

  // The shared application. The host installs its own with setSharedApplication.
  static std::shared_ptr<UIApplication> sharedApplication();
  static void setSharedApplication(std::shared_ptr<UIApplication> application);

  std::shared_ptr<UIApplicationDelegate> delegate() const;
  void setDelegate(std::shared_ptr<UIApplicationDelegate> delegate);

  long applicationIconBadgeNumber() const { return badge_.load(); }
  virtual void setApplicationIconBadgeNumber(long number) { badge_.store(number); }

 private:
  AtomicProperty<std::shared_ptr<UIApplicationDelegate>> delegate_;
  std::atomic<long> badge_{0};
};

}  // namespace pushwren
