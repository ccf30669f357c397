#include <gtest/gtest.h>

#include <filesystem>

#include "pushwren/platform/bundle.h"
#include "pushwren/plugin/CVPushwren.h"

namespace pushwren {
namespace {

namespace fs = std::filesystem;

TEST(GetBundle, FindsTheResourceBundleBesideThePluginsLibrary) {
  const auto bundle = CVPushwren::make()->getBundle();
  ASSERT_TRUE(bundle);
  EXPECT_EQ(fs::weakly_canonical(bundle->bundleURL()),
            fs::weakly_canonical(fs::path(PUSHWREN_LIBRARY_DIR) / "OneSignalV5Resources.bundle"));
  EXPECT_TRUE(bundle->URLForResource("CVPushwrenSubscriptions", "storyboard"));
}

}  // namespace
}  // namespace pushwren
