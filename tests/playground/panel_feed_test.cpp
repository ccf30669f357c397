#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <boost/json/parse.hpp>

#include "sim/playground/tab/panel_feed.h"
#include "sim/scenario/simulation.h"
#include "sim/scenario/step_fields.h"
#include "sim/scenario/step_table.h"

namespace pushwren::sim::playground {
namespace {

// The messages of a kind the trace panel draws: steps and trace lines, in order.
std::vector<boost::json::value> traceMessages(const std::vector<std::string>& messages) {
  std::vector<boost::json::value> kept;
  for (const auto& message : messages) {
    auto value = boost::json::parse(message);
    if (value.at("type") != "device") kept.push_back(std::move(value));
  }
  return kept;
}

TEST(PanelFeed, EachStepSaysWhereItsLinesStart) {
  Simulation sim;
  PanelFeed feed(sim.host());
  feed.changes();
  auto& trace = sim.host().trace();
  const auto start = static_cast<std::int64_t>(trace.size());
  trace.add("before", 1);
  feed.markStep({{"kind", "first"}});
  trace.add("first", 1);
  trace.add("first", 2);
  feed.markStep({{"kind", "quiet"}});  // sets nothing off
  feed.markStep({{"kind", "second"}});
  trace.add("second", 1);

  const auto got = traceMessages(feed.changes());
  ASSERT_EQ(got.size(), 1u) << "one message for the tick";
  EXPECT_EQ(got[0].at("from"), start);
  EXPECT_EQ(got[0].at("lines").as_array().size(), 4u);
  const auto& steps = got[0].at("steps").as_array();
  ASSERT_EQ(steps.size(), 3u);
  const std::vector<std::pair<const char*, std::int64_t>> expected{
      {"first", start + 1}, {"quiet", start + 3}, {"second", start + 3}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(steps[i].at("source").at("kind"), expected[i].first) << i;
    EXPECT_EQ(steps[i].at("from"), expected[i].second) << i;
  }

  // A tab that opens now sees the same.
  const auto late = traceMessages(feed.snapshot());
  ASSERT_EQ(late.size(), 1u);
  EXPECT_EQ(late[0].at("steps").as_array().size(), 3u);
  EXPECT_TRUE(traceMessages(feed.changes()).empty()) << "nothing new";

  // A step with no lines yet is sent on its own, so the panel shows it at once.
  feed.markStep({{"kind", "third"}});
  const auto alone = traceMessages(feed.changes());
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_TRUE(alone[0].at("lines").as_array().empty());
  EXPECT_EQ(alone[0].at("steps").as_array().size(), 1u);
}

void runStep(Simulation& sim, std::string_view text) {
  const auto step = boost::json::parse(text).as_object();
  sim.runStep(findStep(step.at("do").as_string())->handler, StepFields(step));
}

// What the phone draws comes from the device state: the open prompt, the messages on screen with
// their buttons, and the set the panel edits, each marked once shown.
TEST(DeviceState, CarriesThePromptAndTheInAppMessages) {
  Simulation sim;
  runStep(sim, R"({"do": "sdk", "set": {"permission": "prompt", "inAppMessages": [
    {"id": "ask", "trigger": ["prompt_ios", "true"], "title": "T", "body": "B",
     "buttons": [{"text": "Allow", "prompt": "push"}, {"text": "More", "actionId": "more", "url": "https://a/", "closes": false}]},
    {"id": "later", "trigger": ["level", 5], "title": "L", "body": "", "buttons": []}]}})");
  auto& sdk = sim.host().sdk();
  sdk.addTrigger("prompt_ios", "true");
  sdk.optIn();

  const auto state = deviceState(sim.host());
  EXPECT_EQ(state.at("permission"), "prompt");
  EXPECT_EQ(state.at("permissionPromptOpen"), true);
  EXPECT_EQ(state.at("messagesOnScreen"), boost::json::parse(R"([{"id": "ask", "trigger": ["prompt_ios", "true"],
    "title": "T", "body": "B", "buttons": [{"text": "Allow", "closes": true, "prompt": "push"},
    {"text": "More", "closes": false, "actionId": "more", "url": "https://a/"}]}])"));
  const auto& known = state.at("inAppMessages").as_array();
  ASSERT_EQ(known.size(), 2u);
  EXPECT_EQ(known[0].at("shown"), true);
  EXPECT_EQ(known[1].at("shown"), false);
  EXPECT_EQ(known[1].at("trigger"), boost::json::parse(R"(["level", 5])"));

  ASSERT_TRUE(sdk.answerPermissionPrompt(false));
  ASSERT_TRUE(sdk.pressInAppMessageButton("ask", 0));
  const auto after = deviceState(sim.host());
  EXPECT_EQ(after.at("permission"), "denied");
  EXPECT_EQ(after.at("permissionPromptOpen"), false);
  EXPECT_TRUE(after.at("messagesOnScreen").as_array().empty());
}

}  // namespace
}  // namespace pushwren::sim::playground
