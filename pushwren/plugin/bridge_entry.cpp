#include "pushwren/bridge/router.h"
#include "pushwren/plugin/CVPushwren.h"
#include "pushwren/subscriptions/resource_bundle.h"

namespace pushwren {

bool CVPushwren::shouldLoadRequestWithURL(const std::shared_ptr<CVJavascriptRunner>& runner, std::string_view url,
                                          const boost::json::object& data) {
  return routeBridgeURL(*this, runner, url, data);
}

std::shared_ptr<NSBundle> CVPushwren::getBundle() const {
  return resourceBundleIn(resourceBundleDirectories());
}

}  // namespace pushwren
