#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include <boost/json/parse.hpp>

#include "pushwren/bridge/router.h"
#include "tests/support/bridge_plugin_fake.h"
#include "tests/support/host_fixture.h"
#include "tests/support/onesignal_mock.h"
#include "tests/support/runner_mock.h"

namespace pushwren::testing {

inline boost::json::value json(std::string_view text) { return boost::json::parse(text); }
inline boost::json::object jsonObject(std::string_view text) { return boost::json::parse(text).as_object(); }

// A switched-on bridge with a strict SDK and a strict runner: any call a case does not expect
// fails it, so each case also shows what a command leaves alone.
class BridgeTest : public ::testing::Test {
 protected:
  BridgeTest() {
    host.config->setOneSignalV5Enabled(true);
    OneSignal::install(sdk);
  }
  ~BridgeTest() override { OneSignal::install(nullptr); }

  // Sends a bridge URL with host "onesignal" and this path; data is JSON object text.
  bool bridge(std::string_view path, std::string_view data = "{}") {
    return bridgeUrl("corvane://onesignal" + std::string(path), data);
  }
  bool bridgeUrl(std::string_view url, std::string_view data = "{}") {
    return route(runner, url, jsonObject(data));
  }
  bool route(const std::shared_ptr<CVJavascriptRunner>& from, std::string_view url, const boost::json::object& data) {
    return routeBridgeURL(*plugin, from, url, data);
  }

  // Ends one case of a table: its expectations are checked and forgotten.
  void endCase() {
    ::testing::Mock::VerifyAndClearExpectations(sdk.get());
    ::testing::Mock::VerifyAndClearExpectations(runner.get());
  }

  void expectAnswer(std::string_view answer, const CallbackName& callback = boost::json::value("cb")) {
    EXPECT_CALL(*runner, runJavascriptWithCallback(callback, jsonObject(answer)));
  }

  FreshHost host;
  std::shared_ptr<::testing::StrictMock<OneSignalMock>> sdk = std::make_shared<::testing::StrictMock<OneSignalMock>>();
  std::shared_ptr<::testing::StrictMock<InfoRunnerMock>> runner =
      std::make_shared<::testing::StrictMock<InfoRunnerMock>>();
  std::shared_ptr<BridgePluginFake> plugin = std::make_shared<BridgePluginFake>();
};

}  // namespace pushwren::testing
