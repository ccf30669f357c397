// Which URLs are bridge URLs, the runner they teach the plugin, the master switch, and how a
// path finds its command.
#include <set>

#include "pushwren/bridge/command_table.h"
#include "pushwren/bridge/commands.h"
#include "tests/bridge/bridge_fixture.h"

namespace pushwren::testing {
namespace {

using ::testing::_;
using ::testing::StrictMock;

TEST_F(BridgeTest, OnlyTheExactHostOnesignalMakesABridgeUrl) {
  // Switched off, so no command runs: what is left is the result and the stored runner.
  host.config->setOneSignalV5Enabled(false);
  const auto check = [&](std::string_view url, bool isBridge) {
    plugin->setRunner(nullptr);
    EXPECT_EQ(bridgeUrl(url), !isBridge) << url;
    EXPECT_EQ(plugin->runner() == runner, isBridge) << url;
  };
  check("corvane://onesignal/info", true);
  check("https://onesignal/info", true);
  check("onesignal://onesignal", true);
  check("corvane://onesignal/", true);
  check("//onesignal/info", true);
  check("corvane://user@onesignal:8080/info?x=1#top", true);
  check("corvane://%6Fnesignal/info", true);
  check("corvane://onesignal/no/such/command", true);
  check("corvane://OneSignal/info", false);
  check("corvane://ONESIGNAL/info", false);
  check("corvane://onesignal.com/info", false);
  check("corvane://my.onesignal/info", false);
  check("corvane://onesignal%20/info", false);
  check("https://example.com/onesignal/info", false);
  check("https://example.com/?host=onesignal", false);
  check("onesignal:/info", false);
  check("onesignal:info", false);
  check("/info", false);
  check("", false);
  check("corvane://onesignal/%zz", false);  // not a URL at all
  check("corvane://one signal/info", false);
  // Authorities that are not well-formed, though Boost.URL would find the host "onesignal".
  check("corvane://onesignal:80x/info", false);
  check("corvane://a@onesignal@b/info", false);
  check("corvane://onesignal:1:2/info", false);
  // An empty port and the root of an authority without a path are well-formed.
  check("corvane://onesignal:/info", true);
  check("corvane://user@onesignal", true);
}

TEST_F(BridgeTest, ThePathIsDecodedWholeAndCaseSensitive) {
  const auto check = [&](std::string_view url, bool runs) {
    if (runs) EXPECT_CALL(*sdk, requestPermission());
    EXPECT_FALSE(bridgeUrl(url)) << url;
    endCase();
  };
  check("corvane://onesignal/promptLocation", true);
  check("corvane://onesignal/promptLocation/", true);
  check("corvane://onesignal/promptLocation?callback=x#frag", true);
  check("corvane://onesignal/prompt%4Cocation", true);
  check("anything://onesignal/promptLocation", true);
  check("corvane://onesignal/promptlocation", false);
  check("corvane://onesignal/PromptLocation", false);
  check("corvane://onesignal/promptLocation//", false);
  check("corvane://onesignal/promptLocation/x", false);
  check("corvane://onesignal//promptLocation", false);
  check("corvane://onesignal/promptLocation%20", false);
  check("corvane://onesignal/x/promptLocation", false);
  check("corvane://onesignal", false);
  check("corvane://onesignal/", false);
}

// The reading of IP literals is the platform's (tests/platform); here: such a URL is loaded.
TEST_F(BridgeTest, AnIPLiteralHostIsNeverTheBridgeHost) {
  host.config->setOneSignalV5Enabled(false);
  for (const char* url : {"https://[::1]/info", "https://[2001:db8::7]:8080/info", "http://[v1.fe]/x"}) {
    plugin->setRunner(nullptr);
    EXPECT_TRUE(bridgeUrl(url)) << url;
    EXPECT_EQ(plugin->runner(), nullptr) << url;
  }
}

TEST(CommandTable, EveryPathFindsItsCommand) {
  using namespace bridge;
  const auto check = [](std::string_view path, BridgeCommand command) { EXPECT_EQ(commandForPath(path), command) << path; };
  check("/info", sendInfo);
  check("/register", registerForPush);
  check("/userPrivacyConsent/grant", grantPrivacyConsent);
  check("/userPrivacyConsent/revoke", revokePrivacyConsent);
  check("/externalUserId/set", logIn);
  check("/login", logIn);
  check("/externalUserId/remove", logOut);
  check("/logout", logOut);
  check("/tags/get", getTags);
  check("/tags/set", setTags);
  check("/tags/delete", deleteTags);
  check("/showTagsUI", showSubscriptions);
  check("/promptLocation", promptLocation);
  check("/iam/addTrigger", addTrigger);
  check("/iam/addTriggers", addTriggers);
  check("/iam/removeTriggerForKey", removeTriggerForKey);
  check("/iam/pauseInAppMessages", pauseInAppMessages);
  check("/iam/setInAppMessageClickHandler", setInAppMessageClickHandler);
  check("/enableForegroundNotifications", enableForegroundNotifications);
  check("/badge/set", setBadge);
  for (const char* unknown : {"", "/", "/Info", "/INFO", "info", "/info/", "/tags", "/iam", "/badge", "/logIn"}) {
    check(unknown, nullptr);
  }
  EXPECT_EQ(commandTable().size(), 20u);
}

TEST(CommandTable, PathsAreDistinctSoTheOrderNeverChoosesBetweenThem) {
  std::set<std::string_view> paths;
  for (const auto& entry : bridge::commandTable()) EXPECT_TRUE(paths.insert(entry.path).second) << entry.path;
}

TEST_F(BridgeTest, SwitchedOffEveryPathIsSwallowedWithoutEffect) {
  host.config->setOneSignalV5Enabled(false);
  host.config->setOneSignalAutoRegister(true);
  host.application->setApplicationIconBadgeNumber(7);
  plugin->setInAppMessageCallback(json(R"("kept")"));
  const auto data = R"({"callback":"cb","externalId":"u","tags":{"a":"1"},"key":"k","value":"v",
                        "map":{"k":"v"},"pause":true,"handler":"h","enabled":true,"count":3})";
  for (const auto& entry : bridge::commandTable()) {
    EXPECT_FALSE(bridge(entry.path, data)) << entry.path;
  }
  // The strict mocks fail on any SDK call or answer; the host and plugin state is untouched.
  EXPECT_FALSE(host.config->oneSignalV5ForegroundNotificationsEnabled());
  EXPECT_EQ(host.application->applicationIconBadgeNumber(), 7);
  EXPECT_EQ(plugin->inAppMessageCallback(), CallbackName("kept"));
  EXPECT_EQ(plugin->runner(), runner);
}

TEST_F(BridgeTest, AnUnknownPathIsSwallowedWithoutEffect) {
  EXPECT_FALSE(bridge("/Info", R"({"callback":"cb"})"));
  EXPECT_FALSE(bridge("/tags/clear", R"({"callback":"cb"})"));
}

TEST_F(BridgeTest, TheRunnerIsStoredBeforeTheCommandRunsAndTheLastOneWins) {
  auto earlier = std::make_shared<StrictMock<InfoRunnerMock>>();
  plugin->setRunner(earlier);
  ScopedOneSignalMock reads;  // the info payload's reads are not what is tested here

  // The info report goes out through the plugin's runner: it reaches this URL's runner only
  // because the router stored it first.
  EXPECT_CALL(*runner, runCorvaneInfoWithCallback(CallbackName("cb"), _));
  EXPECT_FALSE(bridge("/info", R"({"callback":"cb"})"));
  EXPECT_EQ(plugin->runner(), runner);

  // A URL that is not a bridge URL leaves the runner alone.
  EXPECT_TRUE(route(earlier, "https://example.com/info", {}));
  EXPECT_EQ(plugin->runner(), runner);
}

TEST_F(BridgeTest, ABridgeUrlWithoutARunnerStillRunsItsCommand) {
  runner.reset();
  EXPECT_CALL(*sdk, logout());
  EXPECT_FALSE(route(nullptr, "corvane://onesignal/logout", jsonObject(R"({"callback":"cb"})")));
}

}  // namespace
}  // namespace pushwren::testing
