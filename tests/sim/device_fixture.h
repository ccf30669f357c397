#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "sim/scenario/scenario_reader.h"
#include "sim/scenario/simulation.h"

namespace pushwren::sim {

// A device driven by steps as `pushwren-sim run` drives it, one JSON Lines text at a time.
class DeviceTest : public ::testing::Test {
 protected:
  // Runs the steps and gives the trace lines they added.
  std::vector<std::string> run(std::string_view steps) {
    const auto from = sim_.trace().size();
    for (const auto& step : readSteps(steps)) sim_.runStep(step.kind->handler, StepFields(step.fields));
    return sim_.trace().textLines(from);
  }

  // Runs the one step, which must be refused; gives the reason, having checked that the step
  // added nothing to the trace.
  std::string refusal(std::string_view step) {
    const auto from = sim_.trace().size();
    const auto state = sdkState();
    std::string why;
    try {
      run(step);
      ADD_FAILURE() << "not refused: " << step;
    } catch (const StepError& e) {
      why = e.what();
    }
    EXPECT_EQ(sim_.trace().size(), from) << step;
    EXPECT_EQ(sdkState(), state) << step;
    return why;
  }

  // The SDK's state as the panel shows it, to see that nothing changed.
  std::string sdkState() {
    const auto state = sim_.host().sdk().state();
    std::string text = state.subscription.optedIn ? "in" : "out";
    text += std::string(permissionName(state.permission)) + (state.permissionPromptOpen ? " open" : "");
    for (const auto& message : state.displayedMessages) text += " shows:" + message.id;
    for (const auto& message : state.inAppMessages) text += " knows:" + message.id;
    return text;
  }

  Simulation sim_;
};

// The host configuration of an app with the plugin switched on.
inline constexpr std::string_view kEnabled =
    R"({"do":"config","set":{"oneSignalV5Enabled":true,"oneSignalV5AppId":"app-1"}})";

inline std::string lines(std::initializer_list<std::string_view> steps) {
  std::string text;
  for (const auto step : steps) text += std::string(step) + "\n";
  return text;
}

}  // namespace pushwren::sim
