#include "pushwren/platform/application.h"

#include "pushwren/platform/shared_instance.h"

namespace pushwren {
std::shared_ptr<UIApplication> UIApplication::sharedApplication() { return ProcessWide<UIApplication>::get(); }

void UIApplication::setSharedApplication(std::shared_ptr<UIApplication> application) {
  ProcessWide<UIApplication>::set(std::move(application));
}

std::shared_ptr<UIApplicationDelegate> UIApplication::delegate() const {
  return delegate_.get();
}

void UIApplication::setDelegate(std::shared_ptr<UIApplicationDelegate> delegate) {
  delegate_.set(std::move(delegate));
}

}  // namespace pushwren
