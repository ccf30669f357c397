#include <gtest/gtest.h>

#include <optional>
#include <string>

#include <boost/url/rfc/unreserved_chars.hpp>

#include "pushwren/platform/percent_encoding.h"

namespace pushwren {
namespace {

TEST(RemovingPercentEncoding, EscapesBecomeBytesAndEverythingElseStays) {
  const auto check = [](std::string_view text, const std::optional<std::string>& expected) {
    EXPECT_EQ(removingPercentEncoding(text), expected) << text;
  };
  check("", "");
  check("plain text", "plain text");
  check("a+b", "a+b");
  check("%2B", "+");
  check("%41%62", "Ab");
  check("%7b%7D", "{}");
  check("%25", "%");
  check("%2541", "%41");  // decoded once
  check("%00", std::string(1, '\0'));
  check("%C3%A9", "\xC3\xA9");
  check("\xC3\xA9", "\xC3\xA9");
  check("%F0%9F%98%80", "\xF0\x9F\x98\x80");
  check("%F4%8F%BF%BF", "\xF4\x8F\xBF\xBF");  // U+10FFFF
  // Malformed escapes.
  check("%", std::nullopt);
  check("abc%", std::nullopt);
  check("%4", std::nullopt);
  check("%4g", std::nullopt);
  check("%G1", std::nullopt);
  check("%%41", std::nullopt);
  check("% 41", std::nullopt);
  // Bytes that are not UTF-8.
  check("%FF", std::nullopt);
  check("%C3", std::nullopt);         // cut short
  check("%C3%28", std::nullopt);      // bad continuation
  check("%C0%80", std::nullopt);      // overlong
  check("%E0%80%80", std::nullopt);   // overlong
  check("%ED%A0%80", std::nullopt);   // surrogate
  check("%F4%90%80%80", std::nullopt);  // past U+10FFFF
  check("%80", std::nullopt);         // lone continuation
  check("\xFF", std::nullopt);
}

TEST(PercentDecoded, DecodesAURLPartAndLeavesMalformedTextAsItIs) {
  EXPECT_EQ(percentDecoded("one%20two%2Fthree+four"), "one two/three+four");
  EXPECT_EQ(percentDecoded("%6Fnesignal"), "onesignal");
  EXPECT_EQ(percentDecoded("100%"), "100%");
}

TEST(PercentEncoded, EncodesEveryByteOutsideTheSetAsUpperCaseHex) {
  const auto allowed = boost::urls::unreserved_chars + "%";
  EXPECT_EQ(percentEncoded("a b/\xC3\xA9%41", allowed), "a%20b%2F%C3%A9%41");
  EXPECT_EQ(percentEncoded("", allowed), "");
  EXPECT_EQ(removingPercentEncoding(percentEncoded("tab\there\n", boost::urls::unreserved_chars)), "tab\there\n");
}

}  // namespace
}  // namespace pushwren
