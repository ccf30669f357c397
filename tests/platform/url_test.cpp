#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "pushwren/platform/url.h"

namespace pushwren {
namespace {

// The parts as one line: "scheme|host|path|query|fragment", "~" for an absent part; or "none".
std::string shown(std::string_view text) {
  const auto parts = readURIReference(text);
  if (!parts) return "none";
  const auto part = [](const std::optional<std::string_view>& p) { return p ? std::string(*p) : std::string("~"); };
  return part(parts->scheme) + "|" + part(parts->host) + "|" + std::string(parts->path) + "|" + part(parts->query) +
         "|" + part(parts->fragment);
}

struct ReadCase {
  const char* text;
  const char* parts;
};

class ReadURIReference : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadURIReference, SplitsAsRfc3986) {
  const auto& c = GetParam();
  EXPECT_EQ(shown(c.text), c.parts) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadURIReference,
    ::testing::Values(
        ReadCase{"pushwren://onesignal/tags/get", "pushwren|onesignal|/tags/get|~|~"},
        ReadCase{"https://user:pw@example.com:8080/a/b?x=1&y=2#top", "https|example.com|/a/b|x=1&y=2|top"},
        ReadCase{"https://example.com", "https|example.com||~|~"},
        ReadCase{"https://example.com:/p", "https|example.com|/p|~|~"},
        ReadCase{"http://", "http|||~|~"},
        ReadCase{"//host/path", "~|host|/path|~|~"},
        ReadCase{"/news/today?id=7", "~|~|/news/today|id=7|~"},
        ReadCase{"news/to:day", "~|~|news/to:day|~|~"},
        ReadCase{"?q", "~|~||q|~"},
        ReadCase{"#f?g/h", "~|~||~|f?g/h"},
        ReadCase{"", "~|~||~|~"},
        ReadCase{"mailto:someone@example.com", "mailto|~|someone@example.com|~|~"},
        ReadCase{"a+b-c.d:rest", "a+b-c.d|~|rest|~|~"},
        ReadCase{"https://ex%41mple.com/%C3%A9?%20#%7E", "https|ex%41mple.com|/%C3%A9|%20|%7E"},
        ReadCase{"https://[::1]:8080/x", "https|[::1]|/x|~|~"},
        ReadCase{"https://[v1.x:y]/", "https|[v1.x:y]|/|~|~"},
        ReadCase{"http://127.0.0.1:8080/x", "http|127.0.0.1|/x|~|~"},
        ReadCase{"https://u@h:?q", "https|h||q|~"},
        ReadCase{"https://h:8080#f", "https|h||~|f"},
        // An authority that is not whole: a port with more than digits, a second "@", a path that
        // does not start with "/".
        ReadCase{"https://h:80x/", "none"},
        ReadCase{"https://h:80x", "none"},
        ReadCase{"https://a@b@c/", "none"},
        ReadCase{"https://a@b@c", "none"},
        ReadCase{"https://a:b:c/", "none"},
        ReadCase{"http://1.2.3.4x/p", "none"},
        ReadCase{"//h:1a/b:c", "none"},
        ReadCase{"https://[::1]x/", "none"},
        // Not URI references.
        ReadCase{"1http://x", "none"},
        ReadCase{":nothing", "none"},
        ReadCase{"a_b:c", "none"},
        ReadCase{"https://example.com/a#b#c", "none"},
        ReadCase{"https://example.com/100%", "none"},
        ReadCase{"https://example.com/%zz", "none"},
        ReadCase{"https://example.com/%4", "none"},
        ReadCase{"https://example.com/a b", "none"},
        ReadCase{"https://[::1/x", "none"}));

TEST(NSURLTest, IsMadeOnlyOfAURIReferenceAndKeepsItsText) {
  ASSERT_TRUE(NSURL::URLWithString("https://example.com/a%20b#c"));
  EXPECT_EQ(NSURL::URLWithString("https://example.com/a%20b#c")->absoluteString(), "https://example.com/a%20b#c");
  EXPECT_FALSE(NSURL::URLWithString("https://example.com/a b"));
}

}  // namespace
}  // namespace pushwren
