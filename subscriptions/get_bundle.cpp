#include "plugin/CVPushwren.h"
#include "subscriptions/resource_bundle.h"

namespace pushwren {
namespace {

// Lives in the plugin's own library: the bundle that holds it is the plugin's bundle.
const char kInPluginCode = 0;

}  // namespace

std::shared_ptr<NSBundle> resourceBundleIn(const std::shared_ptr<NSBundle>& pluginBundle,
                                           const std::shared_ptr<NSBundle>& mainBundle) {
  std::shared_ptr<NSBundle> found;
  if (pluginBundle) found = NSBundle::bundleWithURL(pluginBundle->resourceURL() / kResourceBundleName);
  if (!found && mainBundle) found = NSBundle::bundleWithURL(mainBundle->resourceURL() / kResourceBundleName);
  return found;
}

std::shared_ptr<NSBundle> CVPushwren::getBundle() const {
  return resourceBundleIn(NSBundle::bundleContainingAddress(&kInPluginCode), NSBundle::mainBundle());
}

}  // namespace pushwren
