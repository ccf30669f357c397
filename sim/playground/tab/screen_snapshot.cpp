#include "sim/playground/tab/screen_snapshot.h"

#include "pushwren/platform/ui/activity_indicator_view.h"
#include "pushwren/platform/ui/alert_controller.h"
#include "pushwren/platform/ui/button.h"
#include "pushwren/platform/ui/label.h"
#include "pushwren/platform/ui/switch.h"
#include "pushwren/platform/ui/table_view.h"

namespace pushwren::sim::playground {
namespace {

boost::json::value text(const std::optional<std::string>& value) {
  return value ? boost::json::value(*value) : boost::json::value(nullptr);
}

boost::json::object tableRow(const UITableViewCell& cell) {
  const auto& label = cell.textLabel();
  const auto rowSwitch = std::dynamic_pointer_cast<UISwitch>(cell.accessoryView());
  return {{"label", label ? text(label->text()) : nullptr},
          {"on", rowSwitch ? boost::json::value(rowSwitch->isOn()) : nullptr}};
}

boost::json::array tableSections(const UITableView& table) {
  boost::json::array sections;
  for (const auto& section : table.displayedSections()) {
    boost::json::array rows;
    for (const auto& cell : section.cells) {
      if (cell) rows.push_back(tableRow(*cell));
    }
    sections.push_back(boost::json::object{{"title", text(section.title)}, {"rows", std::move(rows)}});
  }
  return sections;
}

boost::json::object describe(const UIView& view) {
  boost::json::object described{{"identifier", view.accessibilityIdentifier()}, {"hidden", view.isHidden()}};
  if (const auto* table = dynamic_cast<const UITableView*>(&view)) {
    described["class"] = "UITableView";
    described["sections"] = tableSections(*table);
  } else if (const auto* label = dynamic_cast<const UILabel*>(&view)) {
    described["class"] = "UILabel";
    described["text"] = text(label->text());
  } else if (const auto* button = dynamic_cast<const UIButton*>(&view)) {
    described["class"] = "UIButton";
    described["title"] = button->title();
  } else if (const auto* toggle = dynamic_cast<const UISwitch*>(&view)) {
    described["class"] = "UISwitch";
    described["on"] = toggle->isOn();
  } else if (const auto* spinner = dynamic_cast<const UIActivityIndicatorView*>(&view)) {
    described["class"] = "UIActivityIndicatorView";
    described["animating"] = spinner->isAnimating();
  } else {
    described["class"] = "UIView";
    boost::json::array children;
    for (const auto& child : view.subviews()) children.push_back(describe(*child));
    described["views"] = std::move(children);
  }
  return described;
}

boost::json::object describeAlert(const UIAlertController& alert) {
  boost::json::array buttons;
  for (const auto& action : alert.actions()) buttons.emplace_back(action->title());
  return {{"title", text(alert.title())}, {"message", text(alert.message())}, {"buttons", std::move(buttons)}};
}

}  // namespace

boost::json::array presentedScreens(const UIViewController& runner) {
  boost::json::array screens;
  for (auto shown = runner.presentedViewController(); shown; shown = shown->presentedViewController()) {
    if (const auto* alert = dynamic_cast<const UIAlertController*>(shown.get())) {
      if (!screens.empty()) screens.back().as_object()["alert"] = describeAlert(*alert);
      continue;
    }
    boost::json::array views;
    if (shown->isViewLoaded()) {
      for (const auto& view : shown->view()->subviews()) views.push_back(describe(*view));
    }
    screens.push_back(boost::json::object{{"className", shown->className()}, {"views", std::move(views)}, {"alert", nullptr}});
  }
  return screens;
}

}  // namespace pushwren::sim::playground
