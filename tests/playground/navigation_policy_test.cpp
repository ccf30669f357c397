#include <gtest/gtest.h>

#include <string>

#include "sim/playground/tab/navigation_policy.h"

namespace pushwren::sim::playground {
namespace {

struct NavigationCase {
  std::string url;
  bool followed;
};

class FollowableNavigation : public ::testing::TestWithParam<NavigationCase> {};

TEST_P(FollowableNavigation, OnlyHttpUrlsAndRelativeReferences) {
  EXPECT_EQ(isFollowableNavigation(GetParam().url), GetParam().followed) << GetParam().url;
}

INSTANTIATE_TEST_SUITE_P(
    Table, FollowableNavigation,
    ::testing::Values(NavigationCase{"https://example.com/news/caf%C3%A9%20du%20jour#top", true},
                      NavigationCase{"http://127.0.0.1:8080/demo/?story=7", true},
                      NavigationCase{"HTTPS://EXAMPLE.COM/", true}, NavigationCase{"/demo/?story=7", true},
                      NavigationCase{"story.html", true}, NavigationCase{"?story=7", true},
                      NavigationCase{"#top", true}, NavigationCase{"//example.com/x", true},
                      NavigationCase{"javascript:alert(1)", false}, NavigationCase{"JavaScript:alert(1)", false},
                      NavigationCase{"data:text/html,<script>alert(1)</script>", false},
                      NavigationCase{"file:///etc/passwd", false}, NavigationCase{"vbscript:x", false},
                      NavigationCase{"mailto:someone@example.com", false}, NavigationCase{"https:///nohost", false},
                      NavigationCase{"http:relative", false},
                      // A browser would drop the stray characters and read a javascript: URL.
                      NavigationCase{" javascript:alert(1)", false}, NavigationCase{"java\tscript:alert(1)", false},
                      NavigationCase{"java\nscript:alert(1)", false}, NavigationCase{"", true}));

}  // namespace
}  // namespace pushwren::sim::playground
