#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "pushwren/plugin/OneSignalV5Utilities.h"

namespace pushwren {
namespace {

std::optional<std::string> urlText(std::string_view input) {
  const auto url = OneSignalV5Utilities::urlWithString(input);
  return url ? std::optional<std::string>(url->absoluteString()) : std::nullopt;
}

struct UrlCase {
  const char* input;
  std::optional<std::string> expected;  // none: no URL can be made of the input
};

class UrlWithString : public ::testing::TestWithParam<UrlCase> {};

TEST_P(UrlWithString, EncodesOutsideTheQuerySetAndParses) {
  EXPECT_EQ(urlText(GetParam().input), GetParam().expected) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Table, UrlWithString,
    ::testing::Values(
        UrlCase{"https://example.com/a?b=c&d=e", "https://example.com/a?b=c&d=e"},
        UrlCase{"https://example.com/a b", "https://example.com/a%20b"},
        UrlCase{"https://example.com/caf\xC3\xA9", "https://example.com/caf%C3%A9"},
        UrlCase{"https://example.com/\xE2\x82\xAC?x=\xF0\x9F\x98\x80", "https://example.com/%E2%82%AC?x=%F0%9F%98%80"},
        // Escapes already in the string are kept, not encoded a second time.
        UrlCase{"https://example.com/a%20b?q=%C3%A9", "https://example.com/a%20b?q=%C3%A9"},
        UrlCase{"https://example.com/page#section", "https://example.com/page#section"},
        UrlCase{"https://example.com/a b#frag ment", "https://example.com/a%20b#frag%20ment"},
        UrlCase{"/news/today?id=7", "/news/today?id=7"},
        UrlCase{"news/today", "news/today"},
        UrlCase{"?only=query", "?only=query"},
        UrlCase{"mailto:someone@example.com", "mailto:someone@example.com"},
        UrlCase{"https://example.com/\"quoted\"<tag>", "https://example.com/%22quoted%22%3Ctag%3E"},
        UrlCase{"https://example.com/tab\there", "https://example.com/tab%09here"},
        UrlCase{"https://example.com/[x]", "https://example.com/%5Bx%5D"},
        UrlCase{"https://example.com:/a", "https://example.com:/a"},  // an empty port
        UrlCase{"https://user@example.com:8080", "https://user@example.com:8080"},
        UrlCase{"//example.com/a b", "//example.com/a%20b"},
        // An authority that is not well-formed: letters in the port, a second "@", a path after
        // the authority that does not start with "/".
        UrlCase{"https://h:80x/", std::nullopt},
        UrlCase{"https://h:8 0/", std::nullopt},
        UrlCase{"https://a@b@c/", std::nullopt},
        UrlCase{"https://a b@c@d/", std::nullopt},
        UrlCase{"https://a:b:c/", std::nullopt},
        // Strings that stay unusable after encoding.
        UrlCase{"", std::nullopt},
        UrlCase{"https://example.com/100%", std::nullopt},
        UrlCase{"https://example.com/%zz", std::nullopt},
        UrlCase{"https://example.com/a#b#c", std::nullopt}));

TEST(UrlWithStringSet, IsMadeOnceAndHoldsExactlyTheQueryCharactersWithHashAndPercent) {
  const auto& set = OneSignalV5Utilities::myCharacterSet();
  EXPECT_EQ(&set, &OneSignalV5Utilities::myCharacterSet());
  const std::string allowed =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~!$&'()*+,;=:@/?#%";
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(set(static_cast<char>(c)), allowed.find(static_cast<char>(c)) != std::string::npos) << c;
  }
}

TEST(UrlWithStringSet, IsSafeToUseFromManyThreadsAtOnce) {
  std::vector<std::thread> threads;
  threads.reserve(4);
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([] {
      for (int n = 0; n < 100; ++n) EXPECT_TRUE(OneSignalV5Utilities::urlWithString("https://example.com/a b"));
    });
  }
  for (auto& t : threads) t.join();
}

}  // namespace
}  // namespace pushwren
