#include "pushwren/platform/ui/alert_controller.h"

#include <algorithm>

namespace pushwren {

std::shared_ptr<UIAlertController> UIAlertController::alertControllerWithTitle(std::optional<std::string> title,
                                                                               std::optional<std::string> message,
                                                                               UIAlertControllerStyle preferredStyle) {
  return std::make_shared<UIAlertController>(std::move(title), std::move(message), preferredStyle);
}

void UIAlertController::addAction(std::shared_ptr<UIAlertAction> action) {
  if (action) actions_.push_back(std::move(action));
}

bool UIAlertController::tapButtonWithTitle(std::string_view title) {
  const auto found = std::find_if(actions_.begin(), actions_.end(), [&](const auto& a) { return a->title() == title; });
  if (found == actions_.end()) return false;
  const auto action = *found;
  dismissViewControllerAnimated(true, nullptr);
  if (action->handler()) action->handler()(*action);
  return true;
}

}  // namespace pushwren
