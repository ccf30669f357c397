// The readings that turn bridge-data values into what the commands need.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "pushwren/bridge/readings.h"
#include "pushwren/platform/bool_value.h"

namespace pushwren {
namespace {

using boost::json::value;

value parsed(std::string_view text) { return boost::json::parse(text); }

constexpr long kMax = std::numeric_limits<long>::max();
constexpr long kMin = std::numeric_limits<long>::min();

TEST(ValueKinds, BooleansAreNumbersAndNullPassesNoTest) {
  const auto check = [](std::string_view text, ValueKind kind) {
    const auto v = parsed(text);
    EXPECT_EQ(kindOf(&v), kind) << text;
  };
  check("null", ValueKind::none);
  check("true", ValueKind::number);
  check("false", ValueKind::number);
  check("0", ValueKind::number);
  check("-0", ValueKind::number);
  check("18446744073709551615", ValueKind::number);
  check("1e308", ValueKind::number);
  check(R"("")", ValueKind::string);
  check(R"("42")", ValueKind::string);
  check("{}", ValueKind::map);
  check("[]", ValueKind::list);
  EXPECT_EQ(kindOf(nullptr), ValueKind::none);
}

TEST(BooleanReading, StringsByTheirFirstSignificantCharacterNumbersByZero) {
  const auto check = [](std::string_view text, bool expected) {
    const auto v = parsed(text);
    EXPECT_EQ(boolValue(v), expected) << text;
  };
  for (const char* yes : {R"("true")", R"("yes")", R"("1")", R"("YES")", R"("T")", R"("  +0009")", R"("-1")",
                          R"("\t y")", R"("tx")", R"("5 apples")", "1", "-1", "0.5", "1e308", "true"}) {
    check(yes, true);
  }
  for (const char* no : {R"("false")", R"("no")", R"("0")", R"("")", R"("   ")", R"("+")", R"("-0")", R"("000")",
                         R"("x1")", R"("on")", R"("+-1")", "0", "-0", "0.0", "false", "null", "{}", R"({"a":true})",
                         "[true]"}) {
    check(no, false);
  }
  EXPECT_FALSE(boolValue(nullptr));
}

TEST(PercentEncodedJson, DecodesOnceThenParses) {
  const auto check = [](std::string_view text, std::optional<std::string_view> expected) {
    const auto result = percentEncodedJson(text);
    if (expected) {
      ASSERT_TRUE(result) << text;
      EXPECT_EQ(*result, parsed(*expected)) << text;
    } else {
      EXPECT_FALSE(result) << text;
    }
  };
  check("%7B%22c%22%3A%223%22%7D", R"({"c":"3"})");
  check(R"({"c":"3"})", R"({"c":"3"})");
  check("%7B%22a%22%3A%22b+c%22%7D", R"({"a":"b+c"})");
  check("%7B%22a%22%3A%22%25%22%7D", R"({"a":"%"})");
  check("%5B1%5D", "[1]");
  check("%5B%22a%22%2C%22b%22%5D", R"(["a","b"])");
  check("42", "42");
  check("", std::nullopt);
  check("not json", std::nullopt);
  check("%7B", std::nullopt);
  check(R"({"a":"%"})", std::nullopt);  // the "%" is a malformed escape
  check("%7B%22a%22%3A%22%FF%22%7D", std::nullopt);
  check("{\"a\":1}trailing", std::nullopt);
}

TEST(MapReading, MapsAsTheyAreAndStringsThatHoldAMap) {
  const auto check = [](std::string_view text, std::optional<std::string_view> expected) {
    const auto v = parsed(text);
    const auto result = mapReading(&v);
    if (expected) {
      ASSERT_TRUE(result) << text;
      EXPECT_EQ(*result, parsed(*expected).as_object()) << text;
    } else {
      EXPECT_FALSE(result) << text;
    }
  };
  check(R"({"a":"1","b":[null,{"c":-0}]})", R"({"a":"1","b":[null,{"c":-0}]})");
  check(R"("%7B%22c%22%3A%223%22%7D")", R"({"c":"3"})");
  check(R"("{}")", "{}");
  check(R"("%5B1%5D")", std::nullopt);
  check(R"("\"{}\"")", std::nullopt);
  check(R"("%zz")", std::nullopt);
  check("[]", std::nullopt);
  check("1", std::nullopt);
  check("true", std::nullopt);
  check("null", std::nullopt);
  EXPECT_FALSE(mapReading(nullptr));
}

TEST(NumberString, IntegersAsDigitsBooleansAsBitsOthersShortest) {
  const auto check = [](const value& number, std::string_view expected) {
    EXPECT_EQ(numberString(number), expected) << boost::json::serialize(number);
  };
  check(value(42), "42");
  check(value(-7), "-7");
  check(value(0), "0");
  check(value(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
  check(value(std::numeric_limits<std::uint64_t>::max()), "18446744073709551615");
  check(value(true), "1");
  check(value(false), "0");
  check(value(4.5), "4.5");
  check(value(0.1), "0.1");
  check(value(100.0), "100");
  check(value(-0.0), "-0");
  check(value(1e308), "1e+308");
  check(value(1.0 / 3), "0.3333333333333333");
  check(parsed("1e2"), "100");
  check(parsed("123456789012345678901234567890"), "1.2345678901234568e+29");
}

TEST(BadgeCount, NumbersAndPlainDecimalStringsCutTowardZeroAndHeldInRange) {
  const auto check = [](std::string_view text, std::optional<long> expected) {
    const auto v = parsed(text);
    EXPECT_EQ(badgeCount(&v), expected) << text;
  };
  check("3", 3);
  check("0", 0);
  check("-2", -2);
  check("true", 1);
  check("false", 0);
  check("3.9", 3);
  check("-3.9", -3);
  check("-0", 0);
  check("-0.0", 0);
  check("1e308", kMax);
  check("-1e308", kMin);
  check("9223372036854775807", kMax);
  check("18446744073709551615", kMax);
  check("-9223372036854775808", kMin);
  check(R"("3")", 3);
  check(R"("+3")", 3);
  check(R"("-3")", -3);
  check(R"("007")", 7);
  check(R"("3.9")", 3);
  check(R"("-3.9")", -3);
  check(R"("-0")", 0);
  check(R"("9223372036854775807")", kMax);
  check(R"("9223372036854775808")", kMax);
  check(R"("-9223372036854775808")", kMin);
  check(R"("-9223372036854775809")", kMin);
  check(R"("99999999999999999999999999999999999999")", kMax);
  check(R"("-99999999999999999999999999999999999999.5")", kMin);
  for (const char* refused : {R"("")", R"("abc")", R"("3a")", R"(" 3")", R"("3 ")", R"("3.")", R"(".5")",
                              R"("1e3")", R"("+")", R"("-")", R"("1,000")", R"("1.2.3")", R"("0x10")", R"("--1")",
                              "null", "{}", "[3]"}) {
    check(refused, std::nullopt);
  }
  EXPECT_EQ(badgeCount(nullptr), std::nullopt);
}

}  // namespace
}  // namespace pushwren
