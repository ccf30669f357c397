// Class-load registration, the launch sequence, the opt-in decision, the registration report
// and the tracking-status handler.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "pushwren/contracts/host/register_module.h"
#include "pushwren/contracts/host/tracking_status.h"
#include "pushwren/platform/ui/view_controller_registry.h"
#include "pushwren/plugin/CVPushwren.h"
#include "tests/plugin/registration_fakes.h"
#include "tests/support/host_fixture.h"
#include "tests/support/onesignal_mock.h"

namespace pushwren::testing {
namespace {

using ::testing::_;
using ::testing::InSequence;
using ::testing::Mock;
using ::testing::NiceMock;
using ::testing::Return;
using ::testing::StrictMock;

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registration_ = std::make_shared<NiceMock<RegistrationWithBoth>>();
    host_.application->setDelegate(std::make_shared<DelegateWithRegistration>(registration_));
  }

  void launch(const std::optional<boost::json::object>& options = std::nullopt) {
    plugin_->didFinishLaunchingWithOptions(*host_.application, options);
  }
  void postTrackingStatus(std::optional<boost::json::value> object) {
    host_.notificationCenter->postNotification({std::string(kCVAppTrackingStatusChangedNotification), std::move(object)});
  }

  FreshHost host_;
  ScopedOneSignalMock sdk_;
  std::shared_ptr<NiceMock<RegistrationWithBoth>> registration_;
  std::shared_ptr<CVPushwren> plugin_ = CVPushwren::make();
};

TEST(ClassLoad, RegistersThePluginWithTheHostBeforeAnythingRuns) {
  const auto modules = CVRegisteredModules();
  const auto found = std::find_if(modules.begin(), modules.end(), [](const auto& m) { return m.className == "CVPushwren"; });
  ASSERT_NE(found, modules.end());
  EXPECT_NE(dynamic_cast<CVPushwren*>(found->make().get()), nullptr);
}

// A static host calls load() itself, and the shared library has called it already: however often
// it runs, the host sees one module and the screen's classes exist.
TEST(ClassLoad, LoadingAgainRegistersNothingTwice) {
  CVPushwren::load();
  CVPushwren::load();
  const auto modules = CVRegisteredModules();
  EXPECT_EQ(std::count_if(modules.begin(), modules.end(), [](const auto& m) { return m.className == "CVPushwren"; }), 1);
  EXPECT_TRUE(makeViewControllerOfClass("CVPushwrenSubscriptionsController"));
  EXPECT_TRUE(makeViewControllerOfClass("CVPushwrenSubscriptionsTableViewController"));
}

TEST_F(LaunchTest, DisabledPluginTouchesNothing) {
  host_.config->setOneSignalV5ClearNotificationsOnLaunch(true);
  host_.config->setOneSignalV5AutoRegister(true);
  host_.application->setApplicationIconBadgeNumber(7);
  StrictMock<RegistrationWithBoth> strictRegistration;
  host_.application->setDelegate(std::make_shared<DelegateWithRegistration>(
      std::shared_ptr<CVRegistration>(&strictRegistration, [](auto*) {})));
  // Any SDK call would be an uninteresting call on a strict mock.
  auto strictSdk = std::make_shared<StrictMock<OneSignalMock>>();
  OneSignal::install(strictSdk);

  launch();
  postTrackingStatus(boost::json::value(true));

  EXPECT_EQ(host_.application->applicationIconBadgeNumber(), 7);
  OneSignal::install(nullptr);
}

TEST_F(LaunchTest, RunsItsStepsInOrder) {
  host_.config->setOneSignalV5Enabled(true);
  host_.config->setOneSignalV5AppId("app-1");
  host_.config->setOneSignalV5AutoRegister(true);
  host_.config->setOneSignalV5ClearNotificationsOnLaunch(true);
  const boost::json::object options{{"k", "v"}};
  {
    InSequence order;
    EXPECT_CALL(*sdk_, setConsentRequired(false));
    EXPECT_CALL(*sdk_, initialize(std::optional<std::string>("app-1"), std::optional(options)));
    EXPECT_CALL(*sdk_, addClickListener(::testing::An<std::weak_ptr<OSNotificationClickListener>>()));
    EXPECT_CALL(*sdk_, addForegroundLifecycleListener(_));
    EXPECT_CALL(*sdk_, addObserver(_));
    EXPECT_CALL(*sdk_, addClickListener(::testing::An<std::weak_ptr<OSInAppMessageClickListener>>()));
    EXPECT_CALL(*sdk_, optIn());
    EXPECT_CALL(*registration_, setOneSignalUserId(_, _, _));
    EXPECT_CALL(*registration_, setOneSignalRequiresPrivacyConsent(false));
  }
  host_.application->setApplicationIconBadgeNumber(3);
  launch(options);
  EXPECT_EQ(host_.application->applicationIconBadgeNumber(), 0);

  // The tracking-status observer is registered last: the post reaches the plugin.
  EXPECT_CALL(*sdk_, setConsentGiven(true));
  EXPECT_CALL(*sdk_, optIn());
  postTrackingStatus(boost::json::value(true));
}

TEST_F(LaunchTest, ListensWithItselfSoEventsReachThePlugin) {
  host_.config->setOneSignalV5Enabled(true);
  std::weak_ptr<OSPushSubscriptionObserver> observer;
  std::weak_ptr<OSNotificationClickListener> clicks;
  EXPECT_CALL(*sdk_, addObserver(_)).WillOnce(::testing::SaveArg<0>(&observer));
  EXPECT_CALL(*sdk_, addClickListener(::testing::An<std::weak_ptr<OSNotificationClickListener>>()))
      .WillOnce(::testing::SaveArg<0>(&clicks));
  launch();
  EXPECT_EQ(observer.lock().get(), static_cast<OSPushSubscriptionObserver*>(plugin_.get()));
  EXPECT_EQ(clicks.lock().get(), static_cast<OSNotificationClickListener*>(plugin_.get()));
}

TEST_F(LaunchTest, PassesAppIdAndOptionsOnUnchanged) {
  host_.config->setOneSignalV5Enabled(true);
  EXPECT_CALL(*sdk_, initialize(std::optional<std::string>(), std::optional<boost::json::object>()));
  launch();

  host_.config->setOneSignalV5AppId("");
  EXPECT_CALL(*sdk_, initialize(std::optional<std::string>(""), std::optional<boost::json::object>()));
  CVPushwren::make()->didFinishLaunchingWithOptions(*host_.application, std::nullopt);
}

struct OptInCase {
  bool autoRegister, requiresConsent, softPrompt, optedIn;
  int optIns, triggers;
};

class OptInDecision : public LaunchTest, public ::testing::WithParamInterface<OptInCase> {};

TEST_P(OptInDecision, FollowsTheTable) {
  const auto c = GetParam();
  host_.config->setOneSignalV5Enabled(true);
  host_.config->setOneSignalV5AutoRegister(c.autoRegister);
  host_.config->setOneSignalV5RequiresUserPrivacyConsent(c.requiresConsent);
  host_.config->setOneSignalV5IosSoftPrompt(c.softPrompt);
  ON_CALL(*sdk_, optedIn()).WillByDefault(Return(c.optedIn));
  EXPECT_CALL(*sdk_, setConsentRequired(c.requiresConsent));
  EXPECT_CALL(*sdk_, optIn()).Times(c.optIns);
  EXPECT_CALL(*sdk_, addTrigger("prompt_ios", boost::json::value("true"))).Times(c.triggers);
  launch();
}

INSTANTIATE_TEST_SUITE_P(Rows, OptInDecision,
                         ::testing::Values(
                             // auto, consent, soft, opted: optIn, trigger
                             OptInCase{false, false, false, false, 0, 0}, OptInCase{false, false, true, true, 0, 0},
                             OptInCase{false, true, true, false, 0, 0}, OptInCase{true, true, false, false, 0, 0},
                             OptInCase{true, true, true, true, 0, 0}, OptInCase{true, false, false, false, 1, 0},
                             OptInCase{true, false, false, true, 1, 0}, OptInCase{true, false, true, false, 1, 0},
                             OptInCase{true, false, true, true, 0, 1}));

TEST_F(LaunchTest, ReportsTheSubscriptionAsReadAfterTheOptIn) {
  host_.config->setOneSignalV5Enabled(true);
  host_.config->setOneSignalV5AutoRegister(true);
  bool optedIn = false;
  ON_CALL(*sdk_, optedIn()).WillByDefault([&] { return optedIn; });
  ON_CALL(*sdk_, optIn()).WillByDefault([&] { optedIn = true; });
  ON_CALL(*sdk_, id()).WillByDefault(Return("sub-1"));
  EXPECT_CALL(*registration_, setOneSignalUserId(std::optional<std::string>("sub-1"), std::optional<std::string>(), true));
  launch();
}

TEST_F(LaunchTest, ReportsWithoutAutoRegisterAndWithTheConfiguredConsentRequirement) {
  host_.config->setOneSignalV5Enabled(true);
  host_.config->setOneSignalV5RequiresUserPrivacyConsent(true);
  EXPECT_CALL(*registration_, setOneSignalUserId(_, _, false));
  EXPECT_CALL(*registration_, setOneSignalRequiresPrivacyConsent(true));
  launch();
  // Consent given later does not change what is reported: the requirement is configuration.
  postTrackingStatus(boost::json::value(true));
  EXPECT_CALL(*registration_, setOneSignalUserId(_, _, true));
  EXPECT_CALL(*registration_, setOneSignalRequiresPrivacyConsent(true));
  plugin_->onPushSubscriptionDidChangeWithState({{}, {"sub-2", "tok-2", true}});
}

TEST_F(LaunchTest, ReportProbesEachOptionalOperation) {
  // No delegate, a delegate without `registration`, and one whose registration is none: nothing
  // to call and nothing fails.
  host_.application->setDelegate(nullptr);
  plugin_->setRegistrationUserId("a", "b", true);
  host_.application->setDelegate(std::make_shared<UIApplicationDelegate>());
  plugin_->setRegistrationUserId("a", "b", true);
  host_.application->setDelegate(std::make_shared<DelegateWithRegistration>(nullptr));
  plugin_->setRegistrationUserId("a", "b", true);

  auto onlyUserId = std::make_shared<StrictMock<RegistrationWithUserId>>();
  host_.application->setDelegate(std::make_shared<DelegateWithRegistration>(onlyUserId));
  EXPECT_CALL(*onlyUserId, setOneSignalUserId(std::optional<std::string>(), std::optional<std::string>("t"), false));
  plugin_->setRegistrationUserId(std::nullopt, "t", false);

  auto onlyConsent = std::make_shared<StrictMock<RegistrationWithConsent>>();
  host_.application->setDelegate(std::make_shared<DelegateWithRegistration>(onlyConsent));
  host_.config->setOneSignalV5RequiresUserPrivacyConsent(true);
  EXPECT_CALL(*onlyConsent, setOneSignalRequiresPrivacyConsent(true));
  plugin_->setRegistrationUserId("a", "b", true);
}

TEST_F(LaunchTest, SubscriptionChangeReportsTheCurrentState) {
  EXPECT_CALL(*registration_, setOneSignalUserId(std::optional<std::string>(), std::optional<std::string>("new"), true));
  plugin_->onPushSubscriptionDidChangeWithState({{"old-id", "old", false}, {std::nullopt, "new", true}});
}

struct TrackingCase {
  const char* name;
  bool enabled, autoRegister;
  std::optional<boost::json::value> object;
  int consentCalls;
  bool consent;
  int optIns;
};

class TrackingStatus : public LaunchTest, public ::testing::WithParamInterface<TrackingCase> {};

TEST_P(TrackingStatus, GivesConsentAndOptsInWhenConfigured) {
  const auto& c = GetParam();
  host_.config->setOneSignalV5Enabled(true);
  launch();
  Mock::VerifyAndClearExpectations(&*sdk_);

  host_.config->setOneSignalV5Enabled(c.enabled);
  host_.config->setOneSignalV5AutoRegister(c.autoRegister);
  // Soft prompt and the consent requirement play no part here.
  host_.config->setOneSignalV5IosSoftPrompt(true);
  host_.config->setOneSignalV5RequiresUserPrivacyConsent(true);
  {
    InSequence order;
    EXPECT_CALL(*sdk_, setConsentGiven(c.consent)).Times(c.consentCalls);
    EXPECT_CALL(*sdk_, optIn()).Times(c.optIns);
  }
  EXPECT_CALL(*registration_, setOneSignalUserId(_, _, _)).Times(0);
  postTrackingStatus(c.object);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TrackingStatus,
    ::testing::Values(TrackingCase{"TrueWithAutoRegister", true, true, boost::json::value(true), 1, true, 1},
                      TrackingCase{"TrueWithoutAutoRegister", true, false, boost::json::value(true), 1, true, 0},
                      TrackingCase{"False", true, true, boost::json::value(false), 1, false, 0},
                      TrackingCase{"NoObject", true, true, std::nullopt, 1, false, 0},
                      TrackingCase{"NumberOne", true, true, boost::json::value(1), 1, true, 1},
                      TrackingCase{"NotABoolean", true, true, boost::json::value(boost::json::object{}), 1, false, 0},
                      TrackingCase{"Disabled", false, true, boost::json::value(true), 0, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LaunchTest, ALaterFalseNotificationTakesConsentBack) {
  host_.config->setOneSignalV5Enabled(true);
  launch();
  InSequence order;
  EXPECT_CALL(*sdk_, setConsentGiven(true));
  EXPECT_CALL(*sdk_, setConsentGiven(false));
  postTrackingStatus(boost::json::value(true));
  postTrackingStatus(boost::json::value(false));
}

}  // namespace
}  // namespace pushwren::testing
