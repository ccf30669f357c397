#include <gtest/gtest.h>

#include <string>

#include <boost/json/parse.hpp>

#include "sim/playground/tab/callback_names.h"

namespace pushwren::sim::playground {
namespace {

struct NameCase {
  std::string name;
  bool isPath;
};

class CallbackPath : public ::testing::TestWithParam<NameCase> {};

TEST_P(CallbackPath, IsIdentifiersJoinedByDots) { EXPECT_EQ(isCallbackPath(GetParam().name), GetParam().isPath); }

INSTANTIATE_TEST_SUITE_P(
    Table, CallbackPath,
    ::testing::Values(NameCase{"corvane_onesignal_info", true}, NameCase{"a.b.c", true},
                      NameCase{"Pushwren._answers.a17", true}, NameCase{"$jq.fn_2", true}, NameCase{"_", true},
                      NameCase{"", false}, NameCase{"1abc", false}, NameCase{"a.1b", false}, NameCase{"a..b", false},
                      NameCase{".a", false}, NameCase{"a.", false}, NameCase{"alert(1)", false},
                      NameCase{"a[\"b\"]", false}, NameCase{"a b", false}, NameCase{"a;b", false},
                      NameCase{"caf\xC3\xA9", false}, NameCase{std::string("a\0b", 3), false},
                      NameCase{std::string(201, 'a'), false}, NameCase{std::string(200, 'a'), true}));

TEST(PageFunctions, TakesOneNameOrEachNameOfAListAndRefusesTheRest) {
  const CallbackName list = boost::json::parse(R"j(["first", "a.b", 7, "x()", {"k": 1}, null])j");
  const auto functions = pageFunctions(list);
  EXPECT_EQ(functions.names, (std::vector<std::string>{"first", "a.b"}));
  EXPECT_EQ(functions.refused, (std::vector<std::string>{"7", R"j("x()")j", R"({"k":1})", "null"}));

  EXPECT_EQ(pageFunctions(CallbackName(boost::json::value("cb"))).names, std::vector<std::string>{"cb"});
  EXPECT_EQ(pageFunctions(CallbackName(boost::json::value(true))).refused, std::vector<std::string>{"true"});
  const auto none = pageFunctions(std::nullopt);
  EXPECT_TRUE(none.names.empty());
  EXPECT_TRUE(none.refused.empty());
}

}  // namespace
}  // namespace pushwren::sim::playground
