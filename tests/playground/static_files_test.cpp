#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "sim/playground/static_files.h"

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
                      TargetCase{"http://127.0.0.1/x", std::nullopt}));

TEST(ContentType, NamesWhatBrowsersNeedAndFallsBackToBytes) {
  EXPECT_EQ(contentType("/web/index.html"), "text/html; charset=utf-8");
  EXPECT_EQ(contentType("/web/pushwren.js"), "text/javascript; charset=utf-8");
  EXPECT_EQ(contentType("/web/playground.css"), "text/css; charset=utf-8");
  EXPECT_EQ(contentType("/web/manifest.json"), "application/json");
  EXPECT_EQ(contentType("/web/README"), "application/octet-stream");
}

}  // namespace
}  // namespace pushwren::sim::playground
