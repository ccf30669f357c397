#include <gtest/gtest.h>

#include "pushwren/platform/bundle.h"
#include "pushwren/subscriptions/resource_bundle.h"
#include "tests/subscriptions/temp_directory.h"

namespace pushwren {
namespace {

namespace fs = std::filesystem;

fs::path resolved(const fs::path& path) { return fs::weakly_canonical(path); }

TEST(NSBundle, TheMainBundleIsTheExecutablesDirectory) {
  static const char inThisExecutable = 0;
  const auto main = NSBundle::mainBundle();
  const auto ofCode = NSBundle::bundleContainingAddress(&inThisExecutable);
  ASSERT_TRUE(main);
  ASSERT_TRUE(ofCode);
  EXPECT_EQ(resolved(main->bundleURL()), resolved(PUSHWREN_TEST_BINARY_DIR));
  EXPECT_EQ(resolved(ofCode->bundleURL()), resolved(PUSHWREN_TEST_BINARY_DIR));
}

TEST(NSBundle, ABundleIsADirectoryThatExists) {
  const testing::TempDirectory directory;
  const auto file = directory.write("file.bundle", "not a directory");
  EXPECT_TRUE(NSBundle::bundleWithURL(directory.path()));
  EXPECT_FALSE(NSBundle::bundleWithURL(directory.path() / "missing.bundle"));
  EXPECT_FALSE(NSBundle::bundleWithURL(file));
  EXPECT_FALSE(NSBundle::bundleWithURL(""));
}

TEST(ResourceBundle, ThePluginsOwnWinsOverTheMainBundles) {
  const struct {
    const char* what;
    bool inPlugin;
    bool inMain;
    const char* found;  // "plugin", "main" or "none"
  } cases[] = {
      {"in both", true, true, "plugin"},
      {"in the plugin's bundle only", true, false, "plugin"},
      {"in the main bundle only", false, true, "main"},
      {"in neither", false, false, "none"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const testing::TempDirectory plugin, main;
    if (c.inPlugin) fs::create_directory(plugin.path() / kResourceBundleName);
    if (c.inMain) fs::create_directory(main.path() / kResourceBundleName);
    const auto bundle =
        resourceBundleIn(NSBundle::bundleWithURL(plugin.path()), NSBundle::bundleWithURL(main.path()));
    const std::string found = !bundle                                                    ? "none"
                              : bundle->bundleURL() == plugin.path() / kResourceBundleName ? "plugin"
                              : bundle->bundleURL() == main.path() / kResourceBundleName   ? "main"
                                                                                           : "elsewhere";
    EXPECT_EQ(found, c.found);
  }
}

TEST(ResourceBundle, WithoutAPluginBundleTheMainBundleIsAsked) {
  const testing::TempDirectory main;
  fs::create_directory(main.path() / kResourceBundleName);
  const auto bundle = resourceBundleIn(nullptr, NSBundle::bundleWithURL(main.path()));
  ASSERT_TRUE(bundle);
  EXPECT_EQ(bundle->bundleURL(), main.path() / kResourceBundleName);
}

// An install tree: the library in lib/, the bundle in share/pushwren/, the app in bin/.
TEST(ResourceBundle, IsLookedForBesideTheLibraryThenInTheInstallTreeThenInTheMainBundle) {
  const testing::TempDirectory prefix;
  const auto lib = prefix.path() / "lib";
  const auto data = prefix.path() / "share" / "pushwren";
  const auto bin = prefix.path() / "bin";
  for (const auto& directory : {lib, data, bin}) fs::create_directories(directory);

  const auto directories =
      resourceBundleDirectories(NSBundle::bundleWithURL(lib), "../share/pushwren", NSBundle::bundleWithURL(bin));
  EXPECT_EQ(directories, (std::vector<fs::path>{lib, data, bin}));

  const struct {
    const char* what;
    std::vector<fs::path> holding;
    fs::path found;  // empty: none
  } cases[] = {
      {"beside the library and in the install tree", {lib, data}, lib},
      {"in the install tree only", {data}, data},
      {"in the install tree and the main bundle", {data, bin}, data},
      {"in the main bundle only", {bin}, bin},
      {"nowhere", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const auto& directory : {lib, data, bin}) fs::remove_all(directory / kResourceBundleName);
    for (const auto& directory : c.holding) fs::create_directory(directory / kResourceBundleName);
    const auto bundle = resourceBundleIn(directories);
    EXPECT_EQ(bundle ? bundle->bundleURL() : fs::path(), c.found.empty() ? fs::path() : c.found / kResourceBundleName);
  }
}

TEST(ResourceBundle, EachDirectoryIsListedOnceAndNoneForAMissingBundle) {
  const testing::TempDirectory app;
  const auto here = NSBundle::bundleWithURL(app.path());
  // The build tree: library and app in one directory, no install tree around them.
  EXPECT_EQ(resourceBundleDirectories(here, "", here), std::vector<fs::path>{app.path()});
  EXPECT_EQ(resourceBundleDirectories(nullptr, "../share/pushwren", here), std::vector<fs::path>{app.path()});
  EXPECT_TRUE(resourceBundleDirectories(nullptr, "../share/pushwren", nullptr).empty());
  EXPECT_FALSE(resourceBundleIn(std::vector<fs::path>{}));
}

TEST(ResourceBundle, TheDirectoriesAreListedForALogLine) {
  EXPECT_EQ(listedDirectories({"/opt/app/lib", "/opt/app/share/pushwren", "/opt/app/bin"}),
            "/opt/app/lib, /opt/app/share/pushwren, /opt/app/bin");
  EXPECT_EQ(listedDirectories({}), "");
}

}  // namespace
}  // namespace pushwren
