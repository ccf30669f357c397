#include "pushwren/subscriptions/resource_bundle.h"

#include <algorithm>

// Where the install puts the resource bundle, relative to the directory it puts the library in
// (set by the build from the install directories, so the lookup follows the install tree wherever
// it is unpacked).
#ifndef PUSHWREN_DATA_DIR_FROM_LIBRARY
#error "PUSHWREN_DATA_DIR_FROM_LIBRARY must name the install data directory relative to the library directory"
#endif

namespace pushwren {
namespace {

// Lives in the plugin's own library: the bundle that holds it is the plugin's bundle.
const char kInPluginCode = 0;

}  // namespace

std::vector<std::filesystem::path> resourceBundleDirectories(const std::shared_ptr<NSBundle>& pluginBundle,
                                                             const std::filesystem::path& dataFromPlugin,
                                                             const std::shared_ptr<NSBundle>& mainBundle) {
  std::vector<std::filesystem::path> directories;
  const auto add = [&](const std::filesystem::path& directory) {
    auto normal = directory.lexically_normal();
    if (std::find(directories.begin(), directories.end(), normal) == directories.end()) {
      directories.push_back(std::move(normal));
    }
  };
  if (pluginBundle) {
    add(pluginBundle->resourceURL());
    if (!dataFromPlugin.empty()) add(pluginBundle->resourceURL() / dataFromPlugin);
  }
  if (mainBundle) add(mainBundle->resourceURL());
  return directories;
}

std::vector<std::filesystem::path> resourceBundleDirectories() {
  return resourceBundleDirectories(NSBundle::bundleContainingAddress(&kInPluginCode), PUSHWREN_DATA_DIR_FROM_LIBRARY,
                                   NSBundle::mainBundle());
}

std::shared_ptr<NSBundle> resourceBundleIn(const std::vector<std::filesystem::path>& directories) {
  for (const auto& directory : directories) {
    if (auto found = NSBundle::bundleWithURL(directory / kResourceBundleName)) return found;
  }
  return nullptr;
}

std::shared_ptr<NSBundle> resourceBundleIn(const std::shared_ptr<NSBundle>& pluginBundle,
                                           const std::shared_ptr<NSBundle>& mainBundle) {
  return resourceBundleIn(resourceBundleDirectories(pluginBundle, {}, mainBundle));
}

std::string listedDirectories(const std::vector<std::filesystem::path>& directories) {
  std::string listed;
  for (const auto& directory : directories) {
    if (!listed.empty()) listed += ", ";
    listed += directory.string();
  }
  return listed;
}

}  // namespace pushwren
