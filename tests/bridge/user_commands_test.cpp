// Info, registration, privacy consent, login and logout.
#include "tests/bridge/bridge_fixture.h"

namespace pushwren::testing {
namespace {

using ::testing::_;

TEST_F(BridgeTest, InfoHandsTheCallbackOnUntested) {
  ScopedOneSignalMock reads;  // the payload itself belongs to the info report
  const auto check = [&](std::string_view data, const CallbackName& callback) {
    EXPECT_CALL(*runner, runCorvaneInfoWithCallback(callback, _));
    EXPECT_FALSE(bridge("/info", data)) << data;
    endCase();
  };
  check(R"({"callback":"cb"})", json(R"("cb")"));
  check(R"({"callback":["a","b"]})", json(R"(["a","b"])"));
  check(R"({"callback":null})", json("null"));
  check("{}", std::nullopt);
}

TEST_F(BridgeTest, RegisterOptsInAndReadsNothing) {
  EXPECT_CALL(*sdk, optIn());
  EXPECT_FALSE(bridge("/register", R"({"callback":"cb"})"));
}

TEST_F(BridgeTest, GrantGivesConsentAndOptsInOnlyByTheHostsOwnAutoRegisterFlag) {
  const auto check = [&](bool autoRegister, bool v5AutoRegister) {
    host.config->setOneSignalAutoRegister(autoRegister);
    host.config->setOneSignalV5AutoRegister(v5AutoRegister);
    ::testing::InSequence order;
    EXPECT_CALL(*sdk, setConsentGiven(true));
    if (autoRegister) EXPECT_CALL(*sdk, optIn());
    EXPECT_FALSE(bridge("/userPrivacyConsent/grant", R"({"callback":"cb"})"));
    endCase();
  };
  check(false, false);
  check(false, true);
  check(true, false);
  check(true, true);
}

TEST_F(BridgeTest, RevokeWithdrawsConsentAndLeavesTheSubscriptionAlone) {
  host.config->setOneSignalAutoRegister(true);
  EXPECT_CALL(*sdk, setConsentGiven(false));
  EXPECT_FALSE(bridge("/userPrivacyConsent/revoke", R"({"callback":"cb"})"));
}

TEST_F(BridgeTest, LoginTakesStringsAndNumbersAndRefusesEverythingElse) {
  const auto check = [&](std::string_view externalId, std::optional<std::string> login) {
    for (const char* path : {"/login", "/externalUserId/set"}) {
      const auto data = externalId.empty() ? std::string(R"({"callback":"cb"})")
                                           : R"({"callback":"cb","externalId":)" + std::string(externalId) + "}";
      ::testing::InSequence order;
      if (login) {
        EXPECT_CALL(*sdk, login(*login));
        expectAnswer(R"({"success":true})");
      } else {
        expectAnswer(R"({"success":false,"error":"Invalid user id"})");
      }
      EXPECT_FALSE(bridge(path, data)) << path << " " << data;
      endCase();
    }
  };
  check(R"("user-9")", "user-9");
  check(R"("")", "");
  check(R"("  spaced ü ")", "  spaced ü ");
  check("42", "42");
  check("-7", "-7");
  check("4.5", "4.5");
  check("1e308", "1e+308");
  check("18446744073709551615", "18446744073709551615");
  check("true", "1");
  check("false", "0");
  check("", std::nullopt);  // missing
  check("null", std::nullopt);
  check("{}", std::nullopt);
  check(R"({"id":"u"})", std::nullopt);
  check(R"(["u"])", std::nullopt);
}

TEST_F(BridgeTest, LogoutAnswersEvenWithoutACallback) {
  const auto check = [&](std::string_view data, const CallbackName& callback) {
    ::testing::InSequence order;
    EXPECT_CALL(*sdk, logout());
    expectAnswer(R"({"success":true})", callback);
    EXPECT_FALSE(bridge("/logout", data)) << data;
    EXPECT_CALL(*sdk, logout());
    expectAnswer(R"({"success":true})", callback);
    EXPECT_FALSE(bridge("/externalUserId/remove", data)) << data;
    endCase();
  };
  check(R"({"callback":"cb"})", json(R"("cb")"));
  check("{}", std::nullopt);
  check(R"({"callback":7})", json("7"));
  check(R"({"callback":["a",{"b":null}]})", json(R"(["a",{"b":null}])"));
}

}  // namespace
}  // namespace pushwren::testing
