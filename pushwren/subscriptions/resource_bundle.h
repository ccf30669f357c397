#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pushwren/platform/bundle.h"

namespace pushwren {

inline constexpr const char* kResourceBundleName = "OneSignalV5Resources.bundle";

// The directories that may hold the plugin's resource bundle, in the order they are asked: the
// plugin's own bundle (the directory of its library, where the build puts the bundle), the data
// directory of the install tree that library sits in (`dataFromPlugin`, relative to the library's
// directory), then the app's main bundle. A bundle that is none adds nothing; no directory twice.
std::vector<std::filesystem::path> resourceBundleDirectories(const std::shared_ptr<NSBundle>& pluginBundle,
                                                             const std::filesystem::path& dataFromPlugin,
                                                             const std::shared_ptr<NSBundle>& mainBundle);
// The same for this plugin's library and the running app.
std::vector<std::filesystem::path> resourceBundleDirectories();

// The resource bundle in the first of `directories` that has one; none when none has.
std::shared_ptr<NSBundle> resourceBundleIn(const std::vector<std::filesystem::path>& directories);
// The resource bundle among the resources of the plugin's own bundle, else among the app's main
// bundle's resources; none when neither has it.
std::shared_ptr<NSBundle> resourceBundleIn(const std::shared_ptr<NSBundle>& pluginBundle,
                                           const std::shared_ptr<NSBundle>& mainBundle);

// "a, b, c": the directories as a log line names them.
std::string listedDirectories(const std::vector<std::filesystem::path>& directories);

}  // namespace pushwren
