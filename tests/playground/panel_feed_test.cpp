#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <boost/json/parse.hpp>

#include "sim/playground/panel_feed.h"
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

TEST(PanelFeed, EachStepComesJustBeforeTheLinesItSetOff) {
  Simulation sim;
  PanelFeed feed(sim.host());
  feed.changes();
  auto& trace = sim.host().trace();
  const auto start = static_cast<std::int64_t>(trace.size());
  trace.add("before", 1);
  feed.markStep({{"kind", "first"}});
  trace.add("first", 1);
  trace.add("first", 2);
  feed.markStep({{"kind", "quiet"}});  // set nothing off
  feed.markStep({{"kind", "second"}});
  trace.add("second", 1);

  const auto got = traceMessages(feed.changes());
  ASSERT_EQ(got.size(), 6u);
  const std::vector<std::pair<std::string, std::int64_t>> shape{{"trace", start},     {"step", start + 1},
                                                                {"trace", start + 1}, {"step", start + 3},
                                                                {"step", start + 3},  {"trace", start + 3}};
  for (std::size_t i = 0; i < shape.size(); ++i) {
    EXPECT_EQ(got[i].at("type"), shape[i].first.c_str()) << i;
    EXPECT_EQ(got[i].at("from"), shape[i].second) << i;
  }
  EXPECT_EQ(got[3].at("source").at("kind"), "quiet");
  EXPECT_EQ(got[2].at("lines").as_array().size(), 2u);

  // A tab that opens now sees the same, in the same order.
  EXPECT_EQ(traceMessages(feed.snapshot()).size(), 6u);
  EXPECT_TRUE(traceMessages(feed.changes()).empty()) << "nothing new";
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
