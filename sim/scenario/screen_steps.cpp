// Steps that operate the subscriptions screen shown on top, as a user's touches would.
#include "pushwren/platform/ui/alert_controller.h"
#include "pushwren/platform/ui/button.h"
#include "pushwren/platform/ui/switch.h"
#include "pushwren/platform/ui/table_view.h"
#include "sim/scenario/simulation.h"

namespace pushwren::sim {
namespace {

std::shared_ptr<UIViewController> shownScreen(Simulation& sim) {
  auto screen = sim.ui().topmostScreen();
  if (!screen) throw StepError("no subscriptions screen is shown");
  return screen;
}

// A touch reaches the screen only when no alert covers it.
std::shared_ptr<UIViewController> touchableScreen(Simulation& sim) {
  auto screen = shownScreen(sim);
  if (screen->presentedViewController()) throw StepError("an alert covers the screen; tap one of its buttons first");
  return screen;
}

std::shared_ptr<UITableView> tableOf(const std::shared_ptr<UIViewController>& screen) {
  auto table = screen->view()->findView<UITableView>([](const UITableView&) { return true; });
  if (!table) throw StepError("the screen shown has no table");
  return table;
}

void tap(Simulation& sim, const StepFields& step) {
  const auto name = step.string("button");
  const auto button = touchableScreen(sim)->view()->findView<UIButton>(
      [&](const UIButton& candidate) { return candidate.accessibilityIdentifier() == name; });
  if (!button) throw StepError("the screen shown has no button \"" + name + "\"");
  button->sendActionsForControlEvents(UIControlEventTouchUpInside);
}

void tapAlert(Simulation& sim, const StepFields& step) {
  const auto title = step.string("button");
  const auto alert = std::dynamic_pointer_cast<UIAlertController>(shownScreen(sim)->presentedViewController());
  if (!alert) throw StepError("no alert is shown over the screen");
  if (!alert->tapButtonWithTitle(title)) throw StepError("the alert has no button \"" + title + "\"");
}

void flipSwitch(Simulation& sim, const StepFields& step) {
  const auto section = step.integer("section");
  const auto row = step.integer("row");
  const bool on = step.boolean("on");
  const auto where = "row " + std::to_string(row) + " of section " + std::to_string(section);
  const auto cell = tableOf(touchableScreen(sim))->cellForRowAtIndexPath({static_cast<long>(section), static_cast<long>(row)});
  if (!cell) throw StepError("the table has no " + where);
  const auto rowSwitch = std::dynamic_pointer_cast<UISwitch>(cell->accessoryView());
  if (!rowSwitch) throw StepError(where + " has no switch");
  rowSwitch->setOn(on);
  rowSwitch->sendActionsForControlEvents(UIControlEventValueChanged);
}

}  // namespace

void addScreenSteps(StepTable& table) {
  table.push_back({"tap", {{"button", "\"close\""}}, "taps that button of the subscriptions screen on top", tap});
  table.push_back({"tapAlert",
                   {{"button", "a button title"}},
                   "taps that button of the alert over the subscriptions screen",
                   tapAlert});
  table.push_back({"switch",
                   {{"section", "integer"}, {"row", "integer"}, {"on", "boolean"}},
                   "sets the switch on that row of the shown table and sends its action",
                   flipSwitch});
  table.push_back({"redraw",
                   {},
                   "the shown table asks again for every row's cell",
                   [](Simulation& sim, const StepFields&) { tableOf(shownScreen(sim))->redrawRows(); }});
}

}  // namespace pushwren::sim
