#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "sim/scenario/trace_compare.h"

namespace pushwren::sim {
namespace {

std::vector<boost::json::value> lines(std::initializer_list<const char*> texts) {
  std::vector<boost::json::value> parsed;
  for (const char* text : texts) parsed.push_back(boost::json::parse(text));
  return parsed;
}

struct SameCase {
  const char* expected;
  const char* got;
  bool same;
};

class SameTraceValue : public ::testing::TestWithParam<SameCase> {};

TEST_P(SameTraceValue, ComparesAsJsonValues) {
  const auto& c = GetParam();
  EXPECT_EQ(sameTraceValue(boost::json::parse(c.expected), boost::json::parse(c.got)), c.same)
      << c.expected << " vs " << c.got;
}

INSTANTIATE_TEST_SUITE_P(Table, SameTraceValue,
                         ::testing::Values(SameCase{R"({"a":1,"b":2})", R"({"b":2,"a":1})", true},
                                           SameCase{R"({"a":1})", R"({"a":1,"b":2})", false},
                                           SameCase{"[1,2]", "[2,1]", false},
                                           SameCase{"1", "true", false},
                                           SameCase{"0", "false", false},
                                           SameCase{"1", "1.0", true},
                                           SameCase{"-3", "18446744073709551613", false},
                                           SameCase{"null", "null", true},
                                           SameCase{"null", "\"\"", false},
                                           SameCase{R"("An error occurred retrieving x: *")",
                                                    R"("An error occurred retrieving x: Connection refused")", true},
                                           SameCase{R"("abc*")", R"("ab")", false},
                                           SameCase{R"("*")", R"("")", true},
                                           SameCase{R"("abc")", R"("abc*")", false}));

TEST(CompareTraces, FindsTheFirstDifferenceWithItsLineNumbers) {
  EXPECT_FALSE(compareTraces(lines({"[1]", "[2]"}), lines({"[1]", "[2]"})));
  const auto differs = compareTraces(lines({"[1]", "[2]", "[3]"}), lines({"[1]", "[9]", "[3]"}));
  ASSERT_TRUE(differs);
  EXPECT_EQ(differs->expectedLine, 1u);
  EXPECT_EQ(differs->gotLine, 1u);

  const auto shorter = compareTraces(lines({"[1]", "[2]"}), lines({"[1]"}));
  ASSERT_TRUE(shorter);
  EXPECT_EQ(shorter->gotLine, 1u);
  const auto longer = compareTraces(lines({"[1]"}), lines({"[1]", "[2]"}));
  ASSERT_TRUE(longer);
  EXPECT_EQ(longer->expectedLine, 1u);
}

TEST(CompareTraces, EllipsisMatchesAnyRunOfLinesNoneIncluded) {
  EXPECT_FALSE(compareTraces(lines({"[1]", R"("...")", "[4]"}), lines({"[1]", "[2]", "[3]", "[4]"})));
  EXPECT_FALSE(compareTraces(lines({"[1]", R"("...")", "[4]"}), lines({"[1]", "[4]"})));
  EXPECT_FALSE(compareTraces(lines({R"("...")"}), lines({})));
  EXPECT_FALSE(compareTraces(lines({"[1]", R"("...")"}), lines({"[1]", "[2]"})));
  EXPECT_TRUE(compareTraces(lines({"[1]", R"("...")", "[4]"}), lines({"[1]", "[2]"})));
}

}  // namespace
}  // namespace pushwren::sim
