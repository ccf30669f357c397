// In-app message triggers and click handler, location, foreground display and the badge.
#include <limits>

#include "tests/bridge/bridge_fixture.h"

namespace pushwren::testing {
namespace {

// The page's data with `name` set to this JSON text, or without it when the text is empty.
std::string with(std::string_view name, std::string_view value) {
  if (value.empty()) return "{}";
  return R"({")" + std::string(name) + R"(":)" + std::string(value) + "}";
}

TEST_F(BridgeTest, AddTriggerNeedsAStringKeyAndAValueOfAnyKind) {
  const auto check = [&](std::string_view data, std::optional<std::pair<std::string, std::string_view>> added) {
    if (added) EXPECT_CALL(*sdk, addTrigger(added->first, json(added->second)));
    EXPECT_FALSE(bridge("/iam/addTrigger", data)) << data;
    endCase();
  };
  check(R"({"key":"k","value":"v"})", std::pair("k", R"("v")"));
  check(R"({"key":"k","value":3})", std::pair("k", "3"));
  check(R"({"key":"k","value":null})", std::pair("k", "null"));
  check(R"({"key":"k","value":{"a":[1e308,-0]}})", std::pair("k", R"({"a":[1e308,-0]})"));
  check(R"({"key":"","value":"v"})", std::pair("", R"("v")"));
  check(R"({"key":"k"})", std::nullopt);
  check(R"({"value":"v"})", std::nullopt);
  check(R"({"key":null,"value":"v"})", std::nullopt);
  check(R"({"key":5,"value":"v"})", std::nullopt);
  check(R"({"key":["k"],"value":"v"})", std::nullopt);
  check("{}", std::nullopt);
}

TEST_F(BridgeTest, AddTriggersTakesAMapOrAStringHoldingOneAndDropsTheRestSilently) {
  const auto check = [&](std::string_view map, std::optional<std::string_view> added) {
    if (added) EXPECT_CALL(*sdk, addTriggers(jsonObject(*added)));
    EXPECT_FALSE(bridge("/iam/addTriggers", with("map", map))) << map;
    endCase();
  };
  check(R"({"a":"1","b":2})", R"({"a":"1","b":2})");
  check(R"("%7B%22a%22%3A%221%22%7D")", R"({"a":"1"})");
  check(R"("%5B1%5D")", std::nullopt);
  check(R"("%zz")", std::nullopt);
  check(R"(["a"])", std::nullopt);
  check("1", std::nullopt);
  check("null", std::nullopt);
  check("", std::nullopt);
}

TEST_F(BridgeTest, RemoveTriggerNeedsAStringKey) {
  const auto check = [&](std::string_view key, std::optional<std::string> removed) {
    if (removed) EXPECT_CALL(*sdk, removeTrigger(*removed));
    EXPECT_FALSE(bridge("/iam/removeTriggerForKey", with("key", key))) << key;
    endCase();
  };
  check(R"("k")", "k");
  check(R"("")", "");
  check("", std::nullopt);
  check("null", std::nullopt);
  check("5", std::nullopt);
  check(R"({"k":1})", std::nullopt);
}

TEST_F(BridgeTest, PauseAndForegroundDisplayTakeTheBooleanReading) {
  const auto check = [&](std::string_view flag, bool expected) {
    EXPECT_CALL(*sdk, paused(expected));
    EXPECT_FALSE(bridge("/iam/pauseInAppMessages", with("pause", flag))) << flag;
    endCase();
    host.config->setOneSignalV5ForegroundNotificationsEnabled(!expected);
    EXPECT_FALSE(bridge("/enableForegroundNotifications", with("enabled", flag))) << flag;
    EXPECT_EQ(host.config->oneSignalV5ForegroundNotificationsEnabled(), expected) << flag;
  };
  check("true", true);
  check("1", true);
  check(R"("true")", true);
  check(R"("yes")", true);
  check("2.5", true);
  check("false", false);
  check("0", false);
  check(R"("false")", false);
  check(R"("0")", false);
  check(R"("")", false);
  check("", false);
  check("null", false);
  check(R"({"on":true})", false);
  check("[1]", false);
}

TEST_F(BridgeTest, ClickHandlerIsStoredAsSentAndClearedWhenMissing) {
  const auto check = [&](std::string_view handler, const CallbackName& stored) {
    plugin->setInAppMessageCallback(json(R"("previous")"));
    EXPECT_FALSE(bridge("/iam/setInAppMessageClickHandler", with("handler", handler))) << handler;
    EXPECT_EQ(plugin->inAppMessageCallback(), stored) << handler;
  };
  check(R"("onClick")", json(R"("onClick")"));
  check(R"(["a","b"])", json(R"(["a","b"])"));
  check("7", json("7"));
  check("null", json("null"));
  check("", std::nullopt);
}

TEST_F(BridgeTest, PromptLocationAsksTheSdk) {
  EXPECT_CALL(*sdk, requestPermission());
  EXPECT_FALSE(bridge("/promptLocation", R"({"callback":"cb"})"));
}

TEST_F(BridgeTest, BadgeTakesANumberOrADecimalStringAndIgnoresTheRest) {
  const auto check = [&](std::string_view count, long badge) {
    host.application->setApplicationIconBadgeNumber(99);
    EXPECT_FALSE(bridge("/badge/set", with("count", count))) << count;
    EXPECT_EQ(host.application->applicationIconBadgeNumber(), badge) << count;
  };
  check("3", 3);
  check(R"("3")", 3);
  check("0", 0);
  check("true", 1);
  check("4.7", 4);
  check(R"("-2.5")", -2);
  check("1e308", std::numeric_limits<long>::max());
  check(R"("abc")", 99);
  check(R"("")", 99);
  check("", 99);
  check("null", 99);
  check("{}", 99);
  check("[3]", 99);
}

}  // namespace
}  // namespace pushwren::testing
