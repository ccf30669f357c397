// What a person meets on the device: the permission prompt that optIn opens, and the in-app
// messages the SDK shows when their triggers hold, with their buttons.
#include <gmock/gmock.h>

#include "tests/sim/device_fixture.h"

namespace pushwren::sim {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr std::string_view kLaunch = R"({"do":"launch"})";
constexpr std::string_view kOptIn = R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/register"})";
constexpr std::string_view kHandler =
    R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/setInAppMessageClickHandler","data":{"handler":"h"}})";
constexpr std::string_view kPause =
    R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/pauseInAppMessages","data":{"pause":true}})";
constexpr std::string_view kResume =
    R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/pauseInAppMessages","data":{"pause":false}})";

std::string addTrigger(std::string_view key, std::string_view value) {
  return R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/addTrigger","data":{"key":")" +
         std::string(key) + R"(","value":)" + std::string(value) + "}}";
}

std::string permission(std::string_view name) { return R"({"do":"sdk","set":{"permission":")" + std::string(name) + R"("}})"; }

class DeviceScreens : public DeviceTest {
 protected:
  void SetUp() override { run(lines({kEnabled, kLaunch})); }
  SimulatedOneSignal::State state() { return sim_.host().sdk().state(); }
};

struct PromptCase {
  const char* permission;
  std::vector<std::string> traced;  // by an optIn from the page
  bool optedIn;
  bool promptOpen;
};

class ThePermission : public DeviceScreens, public ::testing::WithParamInterface<PromptCase> {};

TEST_P(ThePermission, DecidesWhatOptInDoes) {
  const auto& c = GetParam();
  run(permission(c.permission));
  EXPECT_EQ(run(kOptIn), c.traced);
  EXPECT_EQ(state().subscription.optedIn, c.optedIn);
  EXPECT_EQ(state().permissionPromptOpen, c.promptOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ThePermission,
    ::testing::Values(
        PromptCase{"granted", {R"(["OneSignal.User.pushSubscription.optIn"])", R"(["return",false])"}, true, false},
        PromptCase{"prompt",
                   {R"(["OneSignal.User.pushSubscription.optIn"])", R"(["sdk.permissionPrompt"])", R"(["return",false])"},
                   false,
                   true},
        PromptCase{"denied", {R"(["OneSignal.User.pushSubscription.optIn"])", R"(["return",false])"}, false, false}),
    [](const auto& info) { return std::string(info.param.permission); });

TEST_F(DeviceScreens, AnOptInWhileThePromptIsOpenOpensNothing) {
  run(permission("prompt"));
  run(kOptIn);
  EXPECT_THAT(run(kOptIn), ElementsAre(R"(["OneSignal.User.pushSubscription.optIn"])", R"(["return",false])"));
}

TEST_F(DeviceScreens, AutoRegisterAtLaunchOpensThePromptAfterTheOptInLine) {
  run(lines({R"({"do":"config","set":{"oneSignalV5AutoRegister":true}})", permission("prompt")}));
  const auto launched = run(R"({"do":"relaunch"})");
  const auto optIn = std::find(launched.begin(), launched.end(), R"(["OneSignal.User.pushSubscription.optIn"])");
  ASSERT_NE(optIn, launched.end());
  ASSERT_NE(optIn + 1, launched.end());
  EXPECT_EQ(optIn[1], R"(["sdk.permissionPrompt"])");
}

struct AnswerCase {
  const char* name;
  bool allow;
  std::vector<std::string> traced;
  PushPermission permission;
  OSPushSubscriptionState subscription;
};

class AnsweringThePrompt : public DeviceScreens, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnsweringThePrompt, SettlesThePermissionAndTellsTheObserverOfAnOptIn) {
  const auto& c = GetParam();
  run(lines({R"({"do":"sdk","set":{"permission":"prompt","pushSubscription":{"token":"mine"}}})", std::string_view(kOptIn)}));
  EXPECT_EQ(run(c.allow ? R"({"do":"permission","allow":true})" : R"({"do":"permission","allow":false})"), c.traced);
  EXPECT_EQ(state().permission, c.permission);
  EXPECT_FALSE(state().permissionPromptOpen);
  EXPECT_EQ(state().subscription.id, c.subscription.id);
  EXPECT_EQ(state().subscription.token, c.subscription.token);
  EXPECT_EQ(state().subscription.optedIn, c.subscription.optedIn);
  // Answered: there is nothing left to answer, and a further optIn asks nothing.
  EXPECT_THAT(refusal(R"({"do":"permission","allow":true})"), HasSubstr("no permission prompt is open"));
  EXPECT_THAT(run(kOptIn), ElementsAre(R"(["OneSignal.User.pushSubscription.optIn"])", R"(["return",false])"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnsweringThePrompt,
    ::testing::Values(AnswerCase{"Allow",
                                 true,
                                 {R"(["registration.setOneSignalUserId","sub-1","mine",true])",
                                  R"(["registration.setOneSignalRequiresPrivacyConsent",false])"},
                                 PushPermission::Granted,
                                 {"sub-1", "mine", true}},
                      AnswerCase{"DontAllow", false, {}, PushPermission::Denied, {std::nullopt, "mine", false}}),
    [](const auto& info) { return std::string(info.param.name); });

// Messages m1 (trigger k = "v") and m2 (trigger n = 1.0), in that order, with three buttons.
constexpr std::string_view kMessages = R"({"do":"sdk","set":{"inAppMessages":[
  {"id":"m2","trigger":["n",1.0],"title":"Two","body":"b","buttons":[]},
  {"id":"m1","trigger":["k","v"],"title":"One","body":"b","buttons":[
    {"text":"Close","actionId":"c","url":"https://x.example/"},
    {"text":"Stay","closes":false},
    {"text":"Allow","prompt":"push"}]}]}})";

std::string oneLine(std::string_view text) {
  std::string line(text);
  std::erase(line, '\n');
  return line;
}

TEST_F(DeviceScreens, AMessageIsShownOnceAfterTheCallThatTriggeredIt) {
  run(oneLine(kMessages));
  EXPECT_THAT(run(addTrigger("k", "\"v\"")), ElementsAre(R"(["OneSignal.InAppMessages.addTrigger","k","v"])",
                                                         R"(["sdk.inAppMessage.show","m1"])", R"(["return",false])"));
  EXPECT_THAT(run(addTrigger("k", "\"v\"")), ElementsAre(HasSubstr("addTrigger"), R"(["return",false])"));
}

TEST_F(DeviceScreens, MessagesShowInListOrderWhenTheirValuesAreEqualAsJson) {
  run(oneLine(kMessages));
  EXPECT_THAT(run(R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/iam/addTriggers","data":{"map":{"k":"v","n":1}}})"),
              ElementsAre(HasSubstr("addTriggers"), R"(["sdk.inAppMessage.show","m2"])", R"(["sdk.inAppMessage.show","m1"])",
                          R"(["return",false])"));
}

TEST_F(DeviceScreens, AValueOfAnotherKindDoesNotTrigger) {
  run(oneLine(kMessages));
  EXPECT_THAT(run(addTrigger("n", "\"1\"")), ElementsAre(HasSubstr("addTrigger"), R"(["return",false])"));
  EXPECT_THAT(run(addTrigger("n", "true")), ElementsAre(HasSubstr("addTrigger"), R"(["return",false])"));
}

TEST_F(DeviceScreens, NoMessageShowsWhilePausedAndOneShowsOnResuming) {
  run(lines({oneLine(kMessages), kPause}));
  EXPECT_THAT(run(addTrigger("k", "\"v\"")), ElementsAre(HasSubstr("addTrigger"), R"(["return",false])"));
  EXPECT_THAT(run(kResume), ElementsAre(R"(["OneSignal.InAppMessages.paused",false])", R"(["sdk.inAppMessage.show","m1"])",
                                        R"(["return",false])"));
}

TEST_F(DeviceScreens, AnSdkStepThatDefinesMessagesShowsThoseAlreadyTriggered) {
  run(addTrigger("k", "\"v\""));
  EXPECT_THAT(run(oneLine(kMessages)), ElementsAre(R"(["sdk.inAppMessage.show","m1"])"));
}

struct ButtonCase {
  const char* name;
  int button;
  std::vector<std::string> traced;
  bool stillShown;
  bool promptOpen;
};

class PressingAButton : public DeviceScreens, public ::testing::WithParamInterface<ButtonCase> {};

TEST_P(PressingAButton, ReachesThePagesHandlerThenClosesOrPrompts) {
  const auto& c = GetParam();
  run(lines({kHandler, permission("prompt"), oneLine(kMessages), addTrigger("k", "\"v\"")}));
  EXPECT_EQ(run(R"({"do":"inAppMessageButton","id":"m1","button":)" + std::to_string(c.button) + "}"), c.traced);
  EXPECT_EQ(state().displayedMessages.size(), c.stillShown ? 1u : 0u);
  EXPECT_EQ(state().permissionPromptOpen, c.promptOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Table, PressingAButton,
    ::testing::Values(
        ButtonCase{"Closing",
                   0,
                   {R"(["runner.runJavascriptWithCallback","r1","h",{"clickUrl":"https://x.example/","clickName":"c","closesMessage":true}])",
                    R"(["sdk.inAppMessage.dismiss","m1"])"},
                   false,
                   false},
        ButtonCase{"NotClosing",
                   1,
                   {R"(["runner.runJavascriptWithCallback","r1","h",{"clickUrl":"","clickName":"","closesMessage":false}])"},
                   true,
                   false},
        ButtonCase{"Prompting",
                   2,
                   {R"(["runner.runJavascriptWithCallback","r1","h",{"clickUrl":"","clickName":"","closesMessage":true}])",
                    R"(["sdk.inAppMessage.dismiss","m1"])", R"(["sdk.permissionPrompt"])"},
                   false,
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceScreens, APushPromptButtonWithPermissionGrantedOptsInWithoutACall) {
  run(lines({oneLine(kMessages), addTrigger("k", "\"v\"")}));
  EXPECT_THAT(run(R"({"do":"inAppMessageButton","id":"m1","button":2})"), ElementsAre(R"(["sdk.inAppMessage.dismiss","m1"])"));
  EXPECT_TRUE(state().subscription.optedIn);
}

struct RefusedStep {
  const char* name;
  std::string step;
  const char* reason;
};

class ARefusedStep : public DeviceScreens, public ::testing::WithParamInterface<RefusedStep> {};

TEST_P(ARefusedStep, SaysWhyAndChangesNothing) {
  run(lines({oneLine(kMessages), addTrigger("k", "\"v\"")}));
  EXPECT_THAT(refusal(GetParam().step), HasSubstr(GetParam().reason));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ARefusedStep,
    ::testing::Values(
        RefusedStep{"NoPromptOpen", R"({"do":"permission","allow":true})", "no permission prompt is open"},
        RefusedStep{"AllowNotABoolean", R"({"do":"permission","allow":"yes"})", R"(field "allow" must be a boolean)"},
        RefusedStep{"MessageNotShown", R"({"do":"inAppMessageButton","id":"m2","button":0})", R"(no in-app message "m2" is shown)"},
        RefusedStep{"ButtonOutOfRange", R"({"do":"inAppMessageButton","id":"m1","button":3})", "has 3 buttons; there is no button 3"},
        RefusedStep{"NegativeButton", R"({"do":"inAppMessageButton","id":"m1","button":-1})", "there is no button -1"},
        RefusedStep{"ButtonNotAnIndex", R"({"do":"inAppMessageButton","id":"m1","button":"Close"})", R"(field "button" must be an integer)"},
        RefusedStep{"UnknownPermission", R"({"do":"sdk","set":{"permission":"maybe"}})", R"("granted", "prompt" or "denied")"},
        RefusedStep{"MessagesNotAList", R"({"do":"sdk","set":{"inAppMessages":{}}})", "must be a list of in-app messages"},
        RefusedStep{"MessageWithoutTrigger",
                    R"({"do":"sdk","set":{"inAppMessages":[{"id":"x","title":"t","body":"b","buttons":[]}]}})",
                    R"(in-app message 0: "x": field "trigger" must be)"},
        RefusedStep{"TwoMessagesOneId",
                    R"({"do":"sdk","set":{"inAppMessages":[{"id":"x","trigger":["a",1],"title":"t","body":"b","buttons":[]},{"id":"x","trigger":["a",1],"title":"t","body":"b","buttons":[]}]}})",
                    R"(in-app message 1: the id "x" is taken)"},
        RefusedStep{"AnUnknownPrompt",
                    R"({"do":"sdk","set":{"inAppMessages":[{"id":"x","trigger":["a",1],"title":"t","body":"b","buttons":[{"text":"y","prompt":"mail"}]}]}})",
                    R"(button 0: field "prompt" must be "push")"},
        RefusedStep{"ABadMessageAfterGoodState",
                    R"({"do":"sdk","set":{"permission":"denied","inAppMessages":[1]}})",
                    "a message must be an object"},
        RefusedStep{"ATitleNotAString", R"({"do":"notificationClick","title":5})", R"(field "title" must be a string)"},
        RefusedStep{"DataNotAMap", R"({"do":"notificationWillDisplay","additionalData":[1]})", R"(field "additionalData" must be an object)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeviceScreens, ABadConfigurationPropertyLeavesTheGoodOnesUnset) {
  EXPECT_THAT(refusal(R"({"do":"config","set":{"oneSignalV5AppId":"new","colour":true}})"), HasSubstr("unknown host configuration"));
  EXPECT_EQ(sim_.host().config().oneSignalV5AppId(), "app-1");
}

TEST_F(DeviceScreens, WhatAPersonSeesOfANotificationAddsNoLines) {
  run(R"({"do":"navigationFinished","runner":"r1"})");
  EXPECT_THAT(run(R"({"do":"notificationWillDisplay","title":"Hi","body":"There","additionalData":{"a":1}})"),
              ElementsAre(R"(["event.preventDefault"])"));
  EXPECT_THAT(run(R"({"do":"notificationClick","title":"Hi","body":"There"})"), IsEmpty());
}

}  // namespace
}  // namespace pushwren::sim
