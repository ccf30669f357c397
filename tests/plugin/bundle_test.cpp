#include <gtest/gtest.h>

#include <filesystem>

#include "pushwren/platform/bundle.h"
#include "pushwren/plugin/CVPushwren.h"

namespace pushwren {
namespace {

namespace fs = std::filesystem;

// The plugin's code is linked into this test, so its bundle is the test's directory, where the
// build copies the resource bundle as it does beside the library.
TEST(GetBundle, FindsTheResourceBundleBesideThePluginsCode) {
  const auto bundle = CVPushwren::make()->getBundle();
  ASSERT_TRUE(bundle);
  EXPECT_EQ(fs::weakly_canonical(bundle->bundleURL()),
            fs::weakly_canonical(fs::path(PUSHWREN_PLUGIN_CODE_DIR) / "OneSignalV5Resources.bundle"));
  EXPECT_TRUE(bundle->URLForResource("CVPushwrenSubscriptions", "storyboard"));
}

}  // namespace
}  // namespace pushwren
