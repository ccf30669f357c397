#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <boost/url/parse.hpp>

#include "platform/url.h"

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

// Each case is also checked against Boost.URL: the one-pass reading must accept exactly what the
// general parser accepts.
TEST_P(ReadURIReference, SplitsAsRfc3986AndAgreesWithBoostURL) {
  const auto& c = GetParam();
  EXPECT_EQ(shown(c.text), c.parts) << c.text;
  EXPECT_EQ(readURIReference(c.text).has_value(), boost::urls::parse_uri_reference(c.text).has_value()) << c.text;
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
        ReadCase{"https://[::1]:8080/x", "https|[::1]|/x|~|~"},  // an IP literal: read by Boost.URL
        ReadCase{"http://127.0.0.1:8080/x", "http|127.0.0.1|/x|~|~"},
        // What follows the authority is the path even without a "/", as Boost.URL reads it.
        ReadCase{"https://h:80x/", "https|h|x/|~|~"},
        ReadCase{"https://a@b@c/", "https|b|@c/|~|~"},
        ReadCase{"https://a:b:c/", "https|a|b:c/|~|~"},
        ReadCase{"http://1.2.3.4x/p", "http|1.2.3.4|x/p|~|~"},
        ReadCase{"//h:1a/b:c", "~|h|a/b:c|~|~"},
        ReadCase{"//h:1a:b", "none"},  // without a scheme, that path's first segment may not hold ":"
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

TEST(PercentDecoded, DecodesEscapesAndLeavesTheRest) {
  EXPECT_EQ(percentDecoded("one%20two%2Fthree+four"), "one two/three+four");
  EXPECT_EQ(percentDecoded("plain"), "plain");
  EXPECT_EQ(percentDecoded("%00"), std::string(1, '\0'));
}

TEST(NSURLTest, IsMadeOnlyOfAURIReferenceAndKeepsItsText) {
  ASSERT_TRUE(NSURL::URLWithString("https://example.com/a%20b#c"));
  EXPECT_EQ(NSURL::URLWithString("https://example.com/a%20b#c")->absoluteString(), "https://example.com/a%20b#c");
  EXPECT_FALSE(NSURL::URLWithString("https://example.com/a b"));
}

}  // namespace
}  // namespace pushwren
