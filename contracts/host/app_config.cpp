#include "contracts/host/app_config.h"

#include "platform/shared_instance.h"

namespace pushwren {
namespace {

SharedInstance<CorvaneAppConfig>& sharedSlot() {
  static SharedInstance<CorvaneAppConfig> slot(std::make_shared<CorvaneAppConfig>());
  return slot;
}

}  // namespace

std::shared_ptr<CorvaneAppConfig> CorvaneAppConfig::sharedAppConfig() { return sharedSlot().get(); }

void CorvaneAppConfig::setSharedAppConfig(std::shared_ptr<CorvaneAppConfig> config) {
  sharedSlot().set(std::move(config));
}

}  // namespace pushwren
