#include "pushwren/platform/ui/control.h"

namespace pushwren {

void UIControl::addTarget(Action action, UIControlEvents events) {
  if (action && events != 0) actions_.push_back({std::move(action), events});
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
  // An action may add others, or end the screen that holds this control.
  const auto keepAlive = weak_from_this().lock();
  const auto actions = actions_;
  for (const auto& registered : actions) {
    if (registered.events & events) registered.action(*this);
  }
}

}  // namespace pushwren
