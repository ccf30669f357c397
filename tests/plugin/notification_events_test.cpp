// Learning the runner, the end of a navigation, taps held until the web view is ready,
// foreground display and in-app message clicks.
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
using ::testing::InSequence;
using ::testing::StrictMock;

boost::json::object json(std::string_view text) { return boost::json::parse(text).as_object(); }

const CallbackName kPushOpened = boost::json::value(boost::json::array{"corvane_onesignal_push_opened", "tavio_onesignal_push_opened"});

class FakeNotification : public OSNotification {
 public:
  explicit FakeNotification(std::optional<boost::json::object> data) : data_(std::move(data)) {}
  std::optional<boost::json::object> additionalData() const override { return data_; }
  MOCK_METHOD(void, display, (), (override));

 private:
  std::optional<boost::json::object> data_;
};

class FakeClick : public OSNotificationClickEvent {
 public:
  explicit FakeClick(std::optional<boost::json::object> data)
      : notification_(std::make_shared<FakeNotification>(std::move(data))) {}
  std::shared_ptr<OSNotification> notification() const override { return notification_; }

 private:
  std::shared_ptr<OSNotification> notification_;
};

class FakeWillDisplay : public OSNotificationWillDisplayEvent {
 public:
  std::shared_ptr<OSNotification> notification() const override { return shown; }
  MOCK_METHOD(void, preventDefault, (), (override));
  std::shared_ptr<StrictMock<FakeNotification>> shown = std::make_shared<StrictMock<FakeNotification>>(std::nullopt);
};

class FakeInAppClick : public OSInAppMessageClickEvent {
 public:
  explicit FakeInAppClick(OSInAppMessageClickResult result) : result_(std::move(result)) {}
  OSInAppMessageClickResult result() const override { return result_; }

 private:
  OSInAppMessageClickResult result_;
};

class NotificationEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { host_.config->setOneSignalV5Enabled(true); }

  void tap(std::string_view data) { plugin_->onClickNotification(FakeClick(json(data))); }
  void navigate(const std::shared_ptr<CVJavascriptRunner>& runner) { plugin_->didFinishNavigation(nullptr, nullptr, runner); }
  void expectInfoCalls(InfoRunnerMock& runner) {
    EXPECT_CALL(runner, runCorvaneInfoWithCallback(CallbackName("tavio_onesignal_info"), _));
    EXPECT_CALL(runner, runCorvaneInfoWithCallback(CallbackName("corvane_onesignal_info"), _));
  }

  FreshHost host_;
  ScopedOneSignalMock sdk_;
  std::shared_ptr<StrictMock<InfoRunnerMock>> runner_ = std::make_shared<StrictMock<InfoRunnerMock>>();
  std::shared_ptr<CVPushwren> plugin_ = CVPushwren::make();
};

TEST_F(NotificationEventsTest, EveryEntryPointTeachesTheRunnerAndTheLastOneWins) {
  auto first = std::make_shared<StrictMock<RunnerMock>>();
  auto second = std::make_shared<StrictMock<RunnerMock>>();
  plugin_->runnerDidLoad(first);
  EXPECT_EQ(plugin_->runner(), first);
  plugin_->runnerWillAppear(second);
  EXPECT_EQ(plugin_->runner(), second);
  second.reset();
  EXPECT_EQ(plugin_->runner(), nullptr) << "the plugin must not keep the host's runner alive";
}

TEST_F(NotificationEventsTest, ATapBeforeTheFirstNavigationWaitsAndOnlyTheLastOneIsDelivered) {
  plugin_->setRunner(runner_);  // a runner is known, but the web view is not ready
  tap(R"({"a":1})");
  tap(R"({"b":2})");
  plugin_->onClickNotification(FakeClick(std::nullopt));  // no data: ignored, the waiting tap stays
  EXPECT_EQ(plugin_->notificationData(), json(R"({"b":2})"));

  auto other = std::make_shared<StrictMock<InfoRunnerMock>>();
  {
    InSequence order;  // delivered to the runner of that very navigation, before the info calls
    EXPECT_CALL(*other, runJavascriptWithCallback(kPushOpened, json(R"({"b":2})")));
    EXPECT_CALL(*other, triggerEvent("_tavio_onesignal_push_opened", json(R"({"b":2})")));
    expectInfoCalls(*other);
  }
  navigate(other);
  EXPECT_FALSE(plugin_->notificationData());
  EXPECT_TRUE(plugin_->isWebviewInitialized());

  // A later navigation with nothing waiting only repeats the info calls.
  expectInfoCalls(*other);
  navigate(other);
}

TEST_F(NotificationEventsTest, ATapAfterTheFirstNavigationIsDeliveredAtOnce) {
  expectInfoCalls(*runner_);
  navigate(runner_);
  EXPECT_CALL(*runner_, runJavascriptWithCallback(kPushOpened, json(R"({"x":[1,{"y":null}]})")));
  EXPECT_CALL(*runner_, triggerEvent(_, _));
  tap(R"({"x":[1,{"y":null}]})");
  EXPECT_FALSE(plugin_->notificationData());
}

TEST_F(NotificationEventsTest, DisabledPluginStillDeliversButSendsNoInfo) {
  host_.config->setOneSignalV5Enabled(false);
  tap(R"({"a":1})");
  EXPECT_CALL(*runner_, runJavascriptWithCallback(kPushOpened, _));
  EXPECT_CALL(*runner_, triggerEvent(_, _));
  navigate(runner_);
}

TEST_F(NotificationEventsTest, ThePayloadIsDroppedWhenTheRunnerIsGone) {
  expectInfoCalls(*runner_);
  navigate(runner_);
  runner_.reset();
  tap(R"({"a":1})");
  EXPECT_FALSE(plugin_->notificationData());
  tap(R"({"u":"https://example.com"})");
  EXPECT_FALSE(plugin_->notificationData());
}

struct UrlChoiceCase {
  const char* name;
  const char* payload;
  std::optional<std::string> opened;  // none: the page functions get the payload instead
};

class UrlChoice : public NotificationEventsTest, public ::testing::WithParamInterface<UrlChoiceCase> {};

TEST_P(UrlChoice, NavigatesOrCallsThePage) {
  const auto& c = GetParam();
  expectInfoCalls(*runner_);
  navigate(runner_);
  if (c.opened) {
    EXPECT_CALL(*runner_, handleJsNavigationUrl(*c.opened));
  } else {
    InSequence order;
    EXPECT_CALL(*runner_, runJavascriptWithCallback(kPushOpened, json(c.payload)));
    EXPECT_CALL(*runner_, triggerEvent("_tavio_onesignal_push_opened", json(c.payload)));
  }
  tap(c.payload);
  EXPECT_FALSE(plugin_->notificationData());
}

INSTANTIATE_TEST_SUITE_P(
    Table, UrlChoice,
    ::testing::Values(
        UrlChoiceCase{"U", R"({"u":"https://example.com/a","targetUrl":"https://example.com/b"})", "https://example.com/a"},
        UrlChoiceCase{"TargetUrlWhenUIsANumber", R"({"u":5,"targetUrl":"https://example.com/b"})", "https://example.com/b"},
        UrlChoiceCase{"TargetUrlWhenUIsMissing", R"({"targetUrl":"/relative/path"})", "/relative/path"},
        UrlChoiceCase{"UnparseableUWinsOverTargetUrl", R"({"u":"https://example.com/100%","targetUrl":"https://example.com/b"})", std::nullopt},
        UrlChoiceCase{"EmptyU", R"({"u":""})", std::nullopt},
        UrlChoiceCase{"NeitherKey", R"({"title":"hi"})", std::nullopt},
        UrlChoiceCase{"UIsAMap", R"({"u":{"href":"https://example.com"}})", std::nullopt},
        UrlChoiceCase{"UIsNull", R"({"u":null,"targetUrl":null})", std::nullopt},
        UrlChoiceCase{"SpacesAndNonAsciiAreEncoded", R"({"u":"https://example.com/caf\u00e9 au lait#top"})",
                      "https://example.com/caf%C3%A9%20au%20lait#top"},
        UrlChoiceCase{"ExistingEscapesStay", R"({"u":"https://example.com/a%20b?q=%26"})", "https://example.com/a%20b?q=%26"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NotificationEventsTest, ForegroundDisplayFollowsTheFlagReadAtEachNotification) {
  FakeWillDisplay hidden;
  EXPECT_CALL(hidden, preventDefault());
  plugin_->onWillDisplayNotification(hidden);

  host_.config->setOneSignalV5ForegroundNotificationsEnabled(true);
  FakeWillDisplay shown;
  EXPECT_CALL(*shown.shown, display());
  EXPECT_CALL(shown, preventDefault()).Times(0);
  plugin_->onWillDisplayNotification(shown);
}

TEST_F(NotificationEventsTest, InAppClickGoesToThePagesHandler) {
  plugin_->setRunner(runner_);
  plugin_->onClickInAppMessage(FakeInAppClick({"https://example.com", "buy", true}));  // no handler yet: nothing

  plugin_->setInAppMessageCallback(boost::json::value("onIam"));
  EXPECT_CALL(*runner_, runJavascriptWithCallback(CallbackName("onIam"),
                                                  json(R"({"clickUrl":"https://example.com","clickName":"buy","closesMessage":true})")));
  plugin_->onClickInAppMessage(FakeInAppClick({"https://example.com", "buy", true}));

  EXPECT_CALL(*runner_, runJavascriptWithCallback(CallbackName("onIam"),
                                                  json(R"({"clickUrl":"","clickName":"","closesMessage":false})")));
  plugin_->onClickInAppMessage(FakeInAppClick({}));

  runner_.reset();
  plugin_->onClickInAppMessage(FakeInAppClick({}));  // runner gone: lost, no crash
}

}  // namespace
}  // namespace pushwren::testing
