// Reading, setting and deleting data tags.
#include "tests/bridge/bridge_fixture.h"

namespace pushwren::testing {
namespace {

using ::testing::Return;

constexpr std::string_view kSuccess = R"({"success":true})";
constexpr std::string_view kInvalidTags = R"({"success":false,"error":"Invalid tags."})";

std::string repeated(std::string_view text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// The page's data with "tags" set to this JSON text, or without "tags" when the text is empty.
std::string withTags(std::string_view tags) {
  if (tags.empty()) return R"({"callback":"cb"})";
  return R"({"callback":"cb","tags":)" + std::string(tags) + "}";
}

TEST_F(BridgeTest, GetTagsAnswersWithTheSdksMap) {
  const auto check = [&](const std::optional<boost::json::object>& tags, std::string_view answer) {
    ::testing::InSequence order;
    EXPECT_CALL(*sdk, getTags()).WillOnce(Return(tags));
    expectAnswer(answer);
    EXPECT_FALSE(bridge("/tags/get", R"({"callback":"cb","tags":["ignored"]})"));
    endCase();
  };
  check(jsonObject(R"({"a":"1","b":"2"})"), R"({"success":true,"tags":{"a":"1","b":"2"}})");
  check(boost::json::object{}, R"({"success":true,"tags":{}})");
  check(std::nullopt, R"({"success":true,"tags":{}})");
}

TEST_F(BridgeTest, SetTagsTakesAMapOrAStringHoldingOne) {
  const auto check = [&](std::string_view tags, std::optional<std::string_view> added) {
    ::testing::InSequence order;
    if (added) {
      EXPECT_CALL(*sdk, addTags(jsonObject(*added)));
      expectAnswer(kSuccess);
    } else {
      expectAnswer(kInvalidTags);
    }
    EXPECT_FALSE(bridge("/tags/set", withTags(tags))) << tags;
    endCase();
  };
  check(R"({"a":"1","b":"2"})", R"({"a":"1","b":"2"})");
  check(R"({"n":1e308,"z":-0,"deep":[null,{"x":[true]}]})", R"({"n":1e308,"z":-0,"deep":[null,{"x":[true]}]})");
  check("{}", "{}");
  check(R"("%7B%22c%22%3A%223%22%7D")", R"({"c":"3"})");
  check(R"("{\"c\":\"3\"}")", R"({"c":"3"})");
  check(R"("%7B%22a%22%3A%22b+c%22%7D")", R"({"a":"b+c"})");
  check("", std::nullopt);
  check("null", std::nullopt);
  check(R"("%5B1%5D")", std::nullopt);
  check(R"(["a","b"])", std::nullopt);
  check("42", std::nullopt);
  check("true", std::nullopt);
  check(R"("")", std::nullopt);
  check(R"("%7B%22a%22%3A%221%22%7D%")", std::nullopt);
  check(R"("%7B%22a%22%3A%22%FF%22%7D")", std::nullopt);
  check(R"("a=1")", std::nullopt);
}

// A map whose one entry nests `depth` levels in all, as the page's percent-encoded JSON text,
// and the same map as JSON.
std::string nestedMapText(int depth) {
  return "%7B%22a%22%3A" + repeated("%5B", depth - 1) + repeated("%5D", depth - 1) + "%7D";
}
boost::json::object nestedMap(int depth) {
  boost::json::value inner = boost::json::array{};
  for (int level = 2; level < depth; ++level) inner = boost::json::array{std::move(inner)};
  return {{"a", std::move(inner)}};
}

TEST_F(BridgeTest, SetTagsReadsPercentEncodedJsonUpTo512LevelsDeep) {
  for (const int depth : {500, 512}) {
    ::testing::InSequence order;
    EXPECT_CALL(*sdk, addTags(nestedMap(depth)));
    expectAnswer(kSuccess);
    EXPECT_FALSE(bridge("/tags/set", withTags('"' + nestedMapText(depth) + '"'))) << depth;
    endCase();
  }
  for (const int depth : {513, 600}) {
    expectAnswer(kInvalidTags);
    EXPECT_FALSE(bridge("/tags/set", withTags('"' + nestedMapText(depth) + '"'))) << depth;
    endCase();
  }
}

// A page that sends one key as a string, or a list as JSON text, means those keys; deleting every
// tag takes a missing or null "tags". Kinds that name no key are refused and delete nothing.
TEST_F(BridgeTest, DeleteTagsRemovesTheNamedKeysAndAllOnlyWhenAskedFor) {
  const auto check = [&](std::string_view tags, std::optional<std::string_view> removed) {
    const bool all = tags.empty() || tags == "null";
    ::testing::InSequence order;
    if (all) EXPECT_CALL(*sdk, getTags()).WillOnce(Return(jsonObject(R"({"a":"1","b":"2"})")));
    if (removed) {
      EXPECT_CALL(*sdk, removeTags(json(*removed).as_array()));
      expectAnswer(kSuccess);
    } else {
      expectAnswer(kInvalidTags);
    }
    EXPECT_FALSE(bridge("/tags/delete", withTags(tags))) << tags;
    endCase();
  };
  check(R"(["a","c"])", R"(["a","c"])");
  check("[]", "[]");
  check(R"([1,null,{"x":[]},"a"])", R"([1,null,{"x":[]},"a"])");
  check("", R"(["a","b"])");
  check("null", R"(["a","b"])");
  check(R"("a")", R"(["a"])");
  check(R"("")", R"([""])");
  check(R"("a+b")", R"(["a+b"])");
  check(R"("%5B%22a%22%2C%22c%22%5D")", R"(["a","c"])");
  check(R"("[\"a\"]")", R"(["a"])");
  check(R"("%7B%7D")", R"(["%7B%7D"])");
  check(R"("%zz")", R"(["%zz"])");
  check(R"("42")", R"(["42"])");
  check("42", std::nullopt);
  check("0", std::nullopt);
  check("true", std::nullopt);
  check(R"({"a":"1"})", std::nullopt);
  check("{}", std::nullopt);
}

TEST_F(BridgeTest, DeleteAllWithAnSdkThatHasNoMapRemovesNothing) {
  ::testing::InSequence order;
  EXPECT_CALL(*sdk, getTags()).WillOnce(Return(std::nullopt));
  EXPECT_CALL(*sdk, removeTags(boost::json::array{}));
  expectAnswer(kSuccess);
  EXPECT_FALSE(bridge("/tags/delete", R"({"callback":"cb"})"));
}

}  // namespace
}  // namespace pushwren::testing
