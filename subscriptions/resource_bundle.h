#pragma once

#include <memory>

#include "platform/bundle.h"

namespace pushwren {

inline constexpr const char* kResourceBundleName = "OneSignalV5Resources.bundle";

// The plugin's resource bundle: the one among the resources of the plugin's own bundle, else
// the one among the app's main bundle's resources; none when neither is there.
std::shared_ptr<NSBundle> resourceBundleIn(const std::shared_ptr<NSBundle>& pluginBundle,
                                           const std::shared_ptr<NSBundle>& mainBundle);

}  // namespace pushwren
