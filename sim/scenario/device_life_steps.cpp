// Steps over a device's life: the app's process starting anew, the permission prompt, and the
// buttons of in-app messages.
#include <algorithm>

#include "sim/scenario/simulation.h"

namespace pushwren::sim {
namespace {

void relaunch(Simulation& sim, const StepFields& step) {
  const auto options = step.optionalObject("options");
  const auto notification = step.optionalObject("notification");
  sim.restartProcess();
  sim.host().launch(options);
  // The tap that opened the app; the plugin holds it until the new page has loaded.
  if (notification) sim.host().sdk().fireNotificationClick({std::nullopt, std::nullopt, notification});
}

void permission(Simulation& sim, const StepFields& step) {
  const bool allow = step.boolean("allow");
  if (!sim.host().sdk().answerPermissionPrompt(allow)) throw StepError("no permission prompt is open");
}

void inAppMessageButton(Simulation& sim, const StepFields& step) {
  const auto id = step.string("id");
  const auto button = step.integer("button");
  auto& sdk = sim.host().sdk();
  const auto shown = sdk.state().displayedMessages;
  const auto message = std::find_if(shown.begin(), shown.end(), [&](const auto& m) { return m.id == id; });
  if (message == shown.end()) throw StepError("no in-app message \"" + id + "\" is shown");
  if (button < 0 || static_cast<std::size_t>(button) >= message->buttons.size()) {
    throw StepError("in-app message \"" + id + "\" has " + std::to_string(message->buttons.size()) +
                    " buttons; there is no button " + std::to_string(button));
  }
  sdk.pressInAppMessageButton(id, static_cast<std::size_t>(button));
}

}  // namespace

void addDeviceLifeSteps(StepTable& table) {
  table.push_back({"relaunch",
                   {{"options", "map", true}, {"notification", "map: additional data of the tapped notification", true}},
                   "the app's process ends and a new one starts and launches; with notification, its tap opened "
                   "the app",
                   relaunch});
  table.push_back({"permission",
                   {{"allow", "boolean"}},
                   "the user answers the open permission prompt",
                   permission});
  table.push_back({"inAppMessageButton",
                   {{"id", "string"}, {"button", "integer"}},
                   "the user presses that button (an index) of the shown in-app message",
                   inAppMessageButton});
}

}  // namespace pushwren::sim
