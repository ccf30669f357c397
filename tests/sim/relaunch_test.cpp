// A relaunch ends the app's process and starts a new one on the same device: what the device
// keeps stays, everything the process made is made anew, and a tap that opened the app waits for
// the new page's first navigation.
#include <gmock/gmock.h>

#include "pushwren/platform/main_queue.h"
#include "tests/sim/device_fixture.h"

namespace pushwren::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr std::string_view kLaunch = R"({"do":"launch"})";
constexpr std::string_view kRelaunch = R"({"do":"relaunch"})";
constexpr std::string_view kShowScreen = R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/showTagsUI"})";
constexpr std::string_view kMessageOnTrigger =
    R"({"do":"sdk","set":{"inAppMessages":[{"id":"m1","trigger":["k","v"],"title":"T","body":"B","buttons":[{"text":"OK"}]}]}})";
constexpr std::string_view kAddTrigger =
    R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/addTrigger","data":{"key":"k","value":"v"}})";
constexpr std::string_view kPause =
    R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/pauseInAppMessages","data":{"pause":true}})";
constexpr std::string_view kResume =
    R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/pauseInAppMessages","data":{"pause":false}})";

class Relaunch : public DeviceTest {
 protected:
  // A device whose plugin is on and whose manifest the runner's server answers.
  void launchDevice() {
    run(R"({"do":"serve","path":"/t.json","json":{"sections":[{"name":"S","items":[{"identifier":"a","name":"A"}]}]}})");
    run(lines({kEnabled, R"({"do":"config","set":{"oneSignalV5TagsJsonUrl":"http://{server}/t.json"}})", kLaunch}));
  }
};

TEST_F(Relaunch, LoadsThePluginsCodeAgainAndLaunchesWithTheOptions) {
  launchDevice();
  EXPECT_THAT(run(R"({"do":"relaunch","options":{"k":"v"}})"),
              ElementsAre(R"(["CVRegisterModule","CVPushwren"])", R"(["OneSignal.setConsentRequired",false])",
                          R"(["OneSignal.initialize","app-1",{"k":"v"}])",
                          R"(["OneSignal.Notifications.addClickListener"])",
                          R"(["OneSignal.Notifications.addForegroundLifecycleListener"])",
                          R"(["OneSignal.User.pushSubscription.addObserver"])",
                          R"(["OneSignal.InAppMessages.addClickListener"])",
                          R"(["registration.setOneSignalUserId",null,null,false])",
                          R"(["registration.setOneSignalRequiresPrivacyConsent",false])",
                          R"(["NotificationCenter.addObserver"])"));
}

// Each case: steps in the first process (after launchDevice), steps after the relaunch, and the
// lines those later steps trace.
struct AcrossRelaunch {
  const char* name;
  std::vector<std::string_view> before;
  std::vector<std::string_view> after;
  std::vector<std::string> traced;
};

class AcrossARelaunch : public Relaunch, public ::testing::WithParamInterface<AcrossRelaunch> {};

TEST_P(AcrossARelaunch, TheNewProcessFindsWhatTheDeviceKeptAndNothingElse) {
  const auto& c = GetParam();
  launchDevice();
  for (const auto step : c.before) run(step);
  run(kRelaunch);
  std::vector<std::string> traced;
  for (const auto step : c.after) {
    for (auto& line : run(step)) traced.push_back(std::move(line));
  }
  EXPECT_EQ(traced, c.traced);
}

INSTANTIATE_TEST_SUITE_P(
    Kept, AcrossARelaunch,
    ::testing::Values(
        AcrossRelaunch{
            "TheSdksStoredState",
            {R"({"do":"sdk","set":{"onesignalId":"os-1","pushSubscription":{"id":"s","token":"t","optedIn":true}}})",
             R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/login","data":{"externalId":"42"}})",
             R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/tags/set","data":{"tags":{"b":"2","a":"1"}}})"},
            {R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/tags/get","data":{"callback":"cb"}})",
             R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/info","data":{"callback":"cb"}})"},
            {R"(["runner.runJavascriptWithCallback","r1","cb",{"success":true,"tags":{"a":"1","b":"2"}}])",
             R"(["return",false])",
             R"(["runner.runCorvaneInfoWithCallback","r1","cb",{"requiresUserPrivacyConsent":false,"legacy":false,"oneSignalId":"os-1","externalId":"42","subscription":{"id":"s","token":"t","optedIn":true}}])",
             R"(["return",false])"}},
        AcrossRelaunch{"TheAppDelegatesShape",
                       {R"({"do":"appDelegate","registration":["setOneSignalRequiresPrivacyConsent"]})"},
                       {R"({"do":"subscriptionChanged","current":{"id":"s"}})"},
                       {R"(["registration.setOneSignalRequiresPrivacyConsent",false])"}},
        AcrossRelaunch{"TheConfigurationAndTheServersAnswers",
                       {},
                       {kShowScreen},
                       {R"(["runner.presentViewController","r1","CVPushwrenSubscriptionsController",true])",
                        R"(["ui.hidden","CVPushwrenSubscriptionsTableViewController",true])",
                        R"(["http.get","http://{server}/t.json"])", R"(["return",false])",
                        R"(["ui.table",[{"title":"S","rows":[{"label":"A","on":false,"tag":0}]}]])",
                        R"(["ui.spinner",false])", R"(["ui.hidden","CVPushwrenSubscriptionsTableViewController",false])"}},
        AcrossRelaunch{"WhichMessagesWereShown",
                       {kMessageOnTrigger, kAddTrigger},
                       {kAddTrigger},
                       {R"(["OneSignal.InAppMessages.addTrigger","k","v"])", R"(["return",false])"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Lost, AcrossARelaunch,
    ::testing::Values(
        AcrossRelaunch{"ARunnersShapeSinceItsIdIsMadeAnew",
                       {R"({"do":"runner","id":"r1","runCorvaneInfo":false})"},
                       {R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/info","data":{"callback":"cb"}})"},
                       {R"(["runner.runCorvaneInfoWithCallback","r1","cb",{"requiresUserPrivacyConsent":false,"legacy":false,"subscription":{"optedIn":false}}])",
                        R"(["return",false])"}},
        AcrossRelaunch{"ThePluginsInAppHandler",
                       {R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/setInAppMessageClickHandler","data":{"handler":"h"}})"},
                       {R"({"do":"inAppMessageClick","url":"x"})"},
                       {}},
        AcrossRelaunch{"TheReadyWebView",
                       {R"({"do":"navigationFinished","runner":"r1"})"},
                       {R"({"do":"notificationClick","additionalData":{"a":1}})"},
                       {}},
        AcrossRelaunch{"EveryListenerObserverAndNotificationCentreObserver",
                       {R"({"do":"config","set":{"oneSignalV5Enabled":false}})"},
                       {R"({"do":"notificationClick","additionalData":{"a":1}})", R"({"do":"notificationWillDisplay"})",
                        R"({"do":"inAppMessageClick","url":"x"})", R"({"do":"subscriptionChanged","current":{"id":"s"}})",
                        R"({"do":"trackingStatus","object":true})"},
                       {}},
        AcrossRelaunch{"ADownloadInFlight",
                       {R"({"do":"serve","path":"/t.json","hold":true})", kShowScreen},
                       {R"({"do":"release","path":"/t.json"})"},
                       {}},
        AcrossRelaunch{"TheTriggers",
                       {kMessageOnTrigger, kPause, kAddTrigger},
                       {kResume},
                       {R"(["OneSignal.InAppMessages.paused",false])", R"(["return",false])"}},
        AcrossRelaunch{"ThePausedFlag",
                       {kMessageOnTrigger, kPause},
                       {kAddTrigger},
                       {R"(["OneSignal.InAppMessages.addTrigger","k","v"])", R"(["sdk.inAppMessage.show","m1"])",
                        R"(["return",false])"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Relaunch, TheScreensAndMessagesShownAreGoneAndTheBadgeStays) {
  launchDevice();
  run(lines({kShowScreen, kMessageOnTrigger, kAddTrigger,
             R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/badge/set","data":{"count":3}})"}));
  run(kRelaunch);
  EXPECT_THAT(refusal(R"({"do":"tap","button":"close"})"), HasSubstr("no subscriptions screen is shown"));
  EXPECT_THAT(refusal(R"({"do":"inAppMessageButton","id":"m1","button":0})"), HasSubstr("no in-app message \"m1\" is shown"));
  EXPECT_EQ(sim_.host().application().applicationIconBadgeNumber(), 3);
}

TEST_F(Relaunch, WorkTheEndedProcessLeftOnTheMainQueueNeverRuns) {
  launchDevice();
  bool ran = false;
  dispatchAsyncMain([&ran] { ran = true; });
  run(kRelaunch);
  EXPECT_FALSE(ran);
  dispatchAsyncMain([&ran] { ran = true; });
  sim_.settle();
  EXPECT_TRUE(ran);
}

struct ColdStartTap {
  const char* name;
  std::string_view relaunch;
  std::vector<std::string> delivered;  // by the first navigation, before the info payload
};

class OpenedFromATap : public Relaunch, public ::testing::WithParamInterface<ColdStartTap> {};

TEST_P(OpenedFromATap, IsHeldUntilTheFirstNavigationAndDeliveredOnce) {
  launchDevice();
  run(R"({"do":"navigationFinished","runner":"web"})");
  const auto relaunched = run(GetParam().relaunch);
  for (const auto& line : relaunched) EXPECT_THAT(line, ::testing::Not(HasSubstr("runner."))) << line;

  auto first = run(R"({"do":"navigationFinished","runner":"web"})");
  ASSERT_EQ(first.size(), GetParam().delivered.size() + 2);
  first.resize(GetParam().delivered.size());
  EXPECT_EQ(first, GetParam().delivered);
  EXPECT_THAT(run(R"({"do":"navigationFinished","runner":"web"})"),
              ElementsAre(HasSubstr("tavio_onesignal_info"), HasSubstr("corvane_onesignal_info")));
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpenedFromATap,
    ::testing::Values(
        ColdStartTap{"WithCustomData",
                     R"({"do":"relaunch","notification":{"story":7}})",
                     {R"(["runner.runJavascriptWithCallback","web",["corvane_onesignal_push_opened","tavio_onesignal_push_opened"],{"story":7}])",
                      R"(["runner.triggerEvent","web","_tavio_onesignal_push_opened",{"story":7}])"}},
        ColdStartTap{"WithAUrl",
                     R"({"do":"relaunch","notification":{"u":"https://example.com/a b"}})",
                     {R"(["runner.handleJsNavigationUrl","web","https://example.com/a%20b"])"}},
        ColdStartTap{"WithAnEmptyMap",
                     R"({"do":"relaunch","notification":{}})",
                     {R"(["runner.runJavascriptWithCallback","web",["corvane_onesignal_push_opened","tavio_onesignal_push_opened"],{}])",
                      R"(["runner.triggerEvent","web","_tavio_onesignal_push_opened",{}])"}},
        ColdStartTap{"WithNone", R"({"do":"relaunch","notification":null})", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Relaunch, ATapOpeningAnAppWhosePluginIsOffReachesNoOne) {
  launchDevice();
  run(R"({"do":"config","set":{"oneSignalV5Enabled":false}})");
  EXPECT_THAT(run(R"({"do":"relaunch","notification":{"story":7}})"), ElementsAre(R"(["CVRegisterModule","CVPushwren"])"));
  EXPECT_THAT(run(R"({"do":"navigationFinished","runner":"web"})"), IsEmpty());
}

struct LaunchSequence {
  const char* name;
  std::vector<std::string_view> steps;  // all run; then a launch, which is refused
};

class ASecondLaunch : public Relaunch, public ::testing::WithParamInterface<LaunchSequence> {};

TEST_P(ASecondLaunch, IsRefusedInTheSameProcess) {
  run(kEnabled);
  for (const auto step : GetParam().steps) run(step);
  EXPECT_THAT(refusal(kLaunch), HasSubstr("already launched in this process"));
}

INSTANTIATE_TEST_SUITE_P(Table, ASecondLaunch,
                         ::testing::Values(LaunchSequence{"AfterALaunch", {kLaunch}},
                                           LaunchSequence{"AfterARelaunch", {kRelaunch}},
                                           LaunchSequence{"AfterALaunchAndARelaunch", {kLaunch, kRelaunch}},
                                           LaunchSequence{"AfterTwoRelaunches", {kLaunch, kRelaunch, kRelaunch}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Relaunch, AMalformedRelaunchChangesNothing) {
  launchDevice();
  run(lines({R"({"do":"navigationFinished","runner":"r1"})",
             R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/setInAppMessageClickHandler","data":{"handler":"h"}})"}));
  EXPECT_THAT(refusal(R"({"do":"relaunch","notification":[1]})"), HasSubstr(R"(field "notification" must be an object)"));
  EXPECT_THAT(refusal(R"({"do":"relaunch","options":"x"})"), HasSubstr(R"(field "options" must be an object)"));
  // Still the first process: its plugin keeps the handler and the ready web view.
  EXPECT_THAT(run(R"({"do":"inAppMessageClick","url":"x"})"), ElementsAre(HasSubstr(R"("r1","h")")));
  EXPECT_THAT(run(R"({"do":"notificationClick","additionalData":{"a":1}})"), ElementsAre(HasSubstr("push_opened"), HasSubstr("triggerEvent")));
}

}  // namespace
}  // namespace pushwren::sim
