#include "platform/application.h"

#include "platform/shared_instance.h"

namespace pushwren {
namespace {

SharedInstance<UIApplication>& sharedSlot() {
  static SharedInstance<UIApplication> slot(std::make_shared<UIApplication>());
  return slot;
}

}  // namespace

std::shared_ptr<UIApplication> UIApplication::sharedApplication() { return sharedSlot().get(); }

void UIApplication::setSharedApplication(std::shared_ptr<UIApplication> application) {
  sharedSlot().set(std::move(application));
}

std::shared_ptr<UIApplicationDelegate> UIApplication::delegate() const {
  return delegate_.get();
}

void UIApplication::setDelegate(std::shared_ptr<UIApplicationDelegate> delegate) {
  delegate_.set(std::move(delegate));
}

}  // namespace pushwren
