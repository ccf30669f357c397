#include "pushwren/contracts/host/app_config.h"

#include "pushwren/platform/shared_instance.h"

namespace pushwren {
std::shared_ptr<CorvaneAppConfig> CorvaneAppConfig::sharedAppConfig() { return ProcessWide<CorvaneAppConfig>::get(); }

void CorvaneAppConfig::setSharedAppConfig(std::shared_ptr<CorvaneAppConfig> config) {
  ProcessWide<CorvaneAppConfig>::set(std::move(config));
}

}  // namespace pushwren
