// The info payload and where it goes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <boost/json/parse.hpp>

#include "pushwren/plugin/CVPushwren.h"
#include "tests/support/host_fixture.h"
#include "tests/support/onesignal_mock.h"
#include "tests/support/runner_mock.h"

namespace pushwren::testing {
namespace {

using ::testing::_;
using ::testing::Return;
using ::testing::StrictMock;

boost::json::object json(std::string_view text) { return boost::json::parse(text).as_object(); }

class InfoReportTest : public ::testing::Test {
 protected:
  void SetUp() override { plugin_->setRunner(runner_); }

  FreshHost host_;
  ScopedOneSignalMock sdk_;
  std::shared_ptr<StrictMock<InfoRunnerMock>> runner_ = std::make_shared<StrictMock<InfoRunnerMock>>();
  std::shared_ptr<CVPushwren> plugin_ = CVPushwren::make();
};

struct PayloadCase {
  const char* name;
  bool requiresConsent;
  std::optional<std::string> onesignalId, externalId, id, token;
  bool optedIn;
  const char* expected;
};

class InfoPayload : public InfoReportTest, public ::testing::WithParamInterface<PayloadCase> {};

TEST_P(InfoPayload, HoldsPresentValuesAndLeavesAbsentKeysOut) {
  const auto& c = GetParam();
  host_.config->setOneSignalV5RequiresUserPrivacyConsent(c.requiresConsent);
  ON_CALL(*sdk_, onesignalId()).WillByDefault(Return(c.onesignalId));
  ON_CALL(*sdk_, externalId()).WillByDefault(Return(c.externalId));
  ON_CALL(*sdk_, id()).WillByDefault(Return(c.id));
  ON_CALL(*sdk_, token()).WillByDefault(Return(c.token));
  ON_CALL(*sdk_, optedIn()).WillByDefault(Return(c.optedIn));
  EXPECT_CALL(*runner_, runCorvaneInfoWithCallback(CallbackName("cb"), json(c.expected)));
  plugin_->runOneSignalInfoWithCallback(boost::json::value("cb"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InfoPayload,
    ::testing::Values(
        PayloadCase{"NothingKnown", false, {}, {}, {}, {}, false,
                    R"({"requiresUserPrivacyConsent":false,"legacy":false,"subscription":{"optedIn":false}})"},
        PayloadCase{"EverythingKnown", true, "os-1", "user-9", "sub-1", "tok-1", true,
                    R"({"requiresUserPrivacyConsent":true,"legacy":false,"oneSignalId":"os-1","externalId":"user-9",
                        "subscription":{"id":"sub-1","token":"tok-1","optedIn":true}})"},
        PayloadCase{"EmptyStringsArePresent", false, "", "", "", "", false,
                    R"({"requiresUserPrivacyConsent":false,"legacy":false,"oneSignalId":"","externalId":"",
                        "subscription":{"id":"","token":"","optedIn":false}})"},
        PayloadCase{"TokenWithoutId", false, {}, "u", {}, "tok", true,
                    R"({"requiresUserPrivacyConsent":false,"legacy":false,"externalId":"u",
                        "subscription":{"token":"tok","optedIn":true}})"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InfoReportTest, ReadsEveryValueAfreshAtEachCall) {
  std::vector<boost::json::object> sent;
  EXPECT_CALL(*sdk_, externalId()).WillOnce(Return(std::nullopt)).WillOnce(Return("later"));
  EXPECT_CALL(*runner_, runCorvaneInfoWithCallback(_, _)).Times(2).WillRepeatedly([&](auto&, const auto& info) {
    sent.push_back(info);
  });
  plugin_->runOneSignalInfoWithCallback(boost::json::value("cb"));
  host_.config->setOneSignalV5RequiresUserPrivacyConsent(true);
  plugin_->runOneSignalInfoWithCallback(boost::json::value("cb"));

  ASSERT_EQ(sent.size(), 2u);
  EXPECT_FALSE(sent[0].contains("externalId"));
  EXPECT_EQ(sent[1].at("externalId"), "later");
  EXPECT_EQ(sent[1].at("requiresUserPrivacyConsent"), true);
}

TEST_F(InfoReportTest, PassesAnAbsentOrOddCallbackOnUnchanged) {
  EXPECT_CALL(*runner_, runCorvaneInfoWithCallback(CallbackName(), _));
  EXPECT_CALL(*runner_, runCorvaneInfoWithCallback(CallbackName(boost::json::value(42)), _));
  plugin_->runOneSignalInfoWithCallback(std::nullopt);
  plugin_->runOneSignalInfoWithCallback(boost::json::value(42));
}

TEST_F(InfoReportTest, DropsThePayloadWithoutARunnerThatReports) {
  auto plain = std::make_shared<StrictMock<RunnerMock>>();
  plugin_->setRunner(plain);
  plugin_->runOneSignalInfoWithCallback(boost::json::value("cb"));  // a strict mock: any call fails

  plugin_->setRunner(runner_);
  runner_.reset();
  EXPECT_EQ(plugin_->runner(), nullptr);
  plugin_->runOneSignalInfoWithCallback(boost::json::value("cb"));
}

}  // namespace
}  // namespace pushwren::testing
