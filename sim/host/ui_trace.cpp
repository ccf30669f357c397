#include "sim/host/ui_trace.h"

#include <algorithm>

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>

#include "pushwren/platform/ui/alert_controller.h"
#include "pushwren/platform/ui/switch.h"
#include "pushwren/platform/ui/table_view.h"

namespace pushwren::sim {
namespace {

namespace json = boost::json;

json::object rowLine(const std::shared_ptr<UITableViewCell>& cell) {
  const auto label = cell ? cell->textLabel() : nullptr;
  const auto accessory = cell ? cell->accessoryView() : nullptr;
  const auto rowSwitch = std::dynamic_pointer_cast<UISwitch>(accessory);
  return {{"label", label ? orNull(label->text()) : json::value(nullptr)},
          {"on", rowSwitch && rowSwitch->isOn()},
          {"tag", accessory ? json::value(accessory->tag()) : json::value(nullptr)}};
}

}  // namespace

std::shared_ptr<UIViewController> UITrace::topmostScreen() const {
  const auto found = std::find_if(screens_.rbegin(), screens_.rend(), [](const auto& screen) {
    const auto shown = screen.lock();
    return shown && shown->presentingViewController();
  });
  return found == screens_.rend() ? nullptr : found->lock();
}

void UITrace::viewControllerPresented(const UIViewController&, const std::shared_ptr<UIViewController>& presented) {
  if (const auto alert = std::dynamic_pointer_cast<UIAlertController>(presented)) {
    json::array buttons;
    for (const auto& action : alert->actions()) buttons.emplace_back(action->title());
    trace_.add("ui.alert", orNull(alert->title()), orNull(alert->message()), std::move(buttons));
    return;
  }
  std::erase_if(screens_, [](const auto& screen) { return screen.expired(); });
  screens_.push_back(presented);
}

void UITrace::viewControllerDismissed(const UIViewController& dismissed) {
  // An alert goes by itself when one of its buttons is tapped; only screens are traced.
  if (dynamic_cast<const UIAlertController*>(&dismissed)) return;
  trace_.add("ui.dismiss", dismissed.className());
}

void UITrace::viewHiddenChanged(const UIView& view) {
  if (const auto controller = view.viewController()) trace_.add("ui.hidden", controller->className(), view.isHidden());
}

void UITrace::activityIndicatorStopped(const UIActivityIndicatorView&) { trace_.add("ui.spinner", false); }

void UITrace::tableViewDisplayedRows(const UITableView& table) {
  json::array sections;
  for (const auto& section : table.displayedSections()) {
    json::array rows;
    for (const auto& cell : section.cells) rows.emplace_back(rowLine(cell));
    sections.emplace_back(json::object{{"title", orNull(section.title)}, {"rows", std::move(rows)}});
  }
  trace_.add("ui.table", std::move(sections));
}

}  // namespace pushwren::sim
