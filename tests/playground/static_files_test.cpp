#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "sim/playground/site/static_files.h"

namespace pushwren::sim::playground {
namespace {

struct TargetCase {
  std::string target;
  std::optional<std::string> file;  // none: refused
};

class StaticFile : public ::testing::TestWithParam<TargetCase> {};

TEST_P(StaticFile, StaysUnderTheRoot) {
  const auto file = staticFile("/web", GetParam().target);
  EXPECT_EQ(file ? std::optional<std::string>(file->string()) : std::nullopt, GetParam().file) << GetParam().target;
}

INSTANTIATE_TEST_SUITE_P(
    Table, StaticFile,
    ::testing::Values(TargetCase{"/", "/web/index.html"}, TargetCase{"/?tab=2", "/web/index.html"},
                      TargetCase{"/demo/", "/web/demo/index.html"}, TargetCase{"/demo/demo.js", "/web/demo/demo.js"},
                      TargetCase{"/pushwren.d.ts#x", "/web/pushwren.d.ts"},
                      TargetCase{"/../etc/passwd", std::nullopt}, TargetCase{"/demo/../../x", std::nullopt},
                      TargetCase{"/.git/config", std::nullopt}, TargetCase{"/a//b", std::nullopt},
                      TargetCase{"/%2e%2e/x", std::nullopt}, TargetCase{"/a\\b", std::nullopt},
                      TargetCase{"relative", std::nullopt}, TargetCase{"", std::nullopt},
                      TargetCase{"http://127.0.0.1/x", std::nullopt},
                      // Names are percent-decoded; a decoded slash, dot-dot or control character is refused.
                      TargetCase{"/my%20page.html", "/web/my page.html"}, TargetCase{"/caf%C3%A9/", "/web/café/index.html"},
                      TargetCase{"/a%2fb", std::nullopt}, TargetCase{"/a%5cb", std::nullopt},
                      TargetCase{"/sub/%2E%2E/x", std::nullopt}, TargetCase{"/a%00b", std::nullopt},
                      TargetCase{"/bad%zz", std::nullopt}, TargetCase{"/.env", std::nullopt}));

class InsideRoot : public ::testing::Test {
 protected:
  InsideRoot() {
    std::filesystem::create_directories(root / "sub");
    std::filesystem::create_directories(outside);
    std::ofstream(root / "sub" / "page.html") << "in";
    std::ofstream(outside / "secret.txt") << "out";
    std::filesystem::create_symlink(outside / "secret.txt", root / "leak.txt");
    std::filesystem::create_directory_symlink(root / "sub", root / "alias");
    // Plain names for hidden things inside the site.
    std::filesystem::create_directories(root / ".git");
    std::ofstream(root / ".env") << "TOKEN=secret";
    std::ofstream(root / ".git" / "config") << "[core]";
    std::filesystem::create_symlink(root / ".env", root / "settings.txt");
    std::filesystem::create_symlink("../.env", root / "sub" / "relative.txt");
    std::filesystem::create_directory_symlink(root / ".git", root / "repo");
    root = std::filesystem::canonical(root);
  }
  ~InsideRoot() override {
    std::filesystem::remove_all(base);
  }

  std::filesystem::path base = std::filesystem::path(::testing::TempDir()) / "pushwren-inside-root";
  std::filesystem::path root = base / "site";
  std::filesystem::path outside = base / "outside";
};

TEST_F(InsideRoot, FollowsLinksAndRefusesThoseThatLeave) {
  EXPECT_TRUE(insideRoot(root, root / "sub" / "page.html"));
  EXPECT_TRUE(insideRoot(root, root / "alias" / "page.html")) << "a link within the site is fine";
  EXPECT_FALSE(insideRoot(root, root / "leak.txt"));
  EXPECT_FALSE(insideRoot(root, root / "missing.html"));
  EXPECT_FALSE(insideRoot(root / "sub", root / "sub" / ".." / "leak.txt"));
}

TEST_F(InsideRoot, RefusesALinkWithAPlainNameToAHiddenFile) {
  EXPECT_FALSE(insideRoot(root, root / "settings.txt")) << "a link to .env";
  EXPECT_FALSE(insideRoot(root, root / "repo" / "config")) << "a file in a linked .git folder";
  // A relative link that climbs to a hidden file of the site.
  EXPECT_FALSE(insideRoot(root, root / "sub" / "relative.txt"));
  EXPECT_TRUE(insideRoot(root, root / "alias" / "page.html")) << "a plain link to a plain file still serves";
}

TEST(ContentType, NamesWhatBrowsersNeedAndFallsBackToBytes) {
  EXPECT_EQ(contentType("/web/index.html"), "text/html; charset=utf-8");
  EXPECT_EQ(contentType("/web/pushwren.js"), "text/javascript; charset=utf-8");
  EXPECT_EQ(contentType("/web/playground.css"), "text/css; charset=utf-8");
  EXPECT_EQ(contentType("/web/manifest.json"), "application/json");
  EXPECT_EQ(contentType("/web/README"), "application/octet-stream");
  EXPECT_EQ(contentType("/web/INDEX.HTM"), "text/html; charset=utf-8");
  EXPECT_EQ(contentType("/web/app.wasm"), "application/wasm");
}

TEST(IsHtml, ReadsTheMediaTypeOnly) {
  EXPECT_TRUE(isHtml("text/html"));
  EXPECT_TRUE(isHtml("Text/HTML; charset=utf-8"));
  EXPECT_TRUE(isHtml("application/xhtml+xml"));
  EXPECT_FALSE(isHtml("text/plain; note=text/html"));
  EXPECT_FALSE(isHtml("application/json"));
}

}  // namespace
}  // namespace pushwren::sim::playground
