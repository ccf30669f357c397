#include "subscriptions/resource_bundle.h"

namespace pushwren {

std::shared_ptr<NSBundle> resourceBundleIn(const std::shared_ptr<NSBundle>& pluginBundle,
                                           const std::shared_ptr<NSBundle>& mainBundle) {
  std::shared_ptr<NSBundle> found;
  if (pluginBundle) found = NSBundle::bundleWithURL(pluginBundle->resourceURL() / kResourceBundleName);
  if (!found && mainBundle) found = NSBundle::bundleWithURL(mainBundle->resourceURL() / kResourceBundleName);
  return found;
}

}  // namespace pushwren
