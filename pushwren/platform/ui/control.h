#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "pushwren/export.h"
#include "pushwren/platform/ui/view.h"

namespace pushwren {

using UIControlEvents = unsigned long;
inline constexpr UIControlEvents UIControlEventTouchUpInside = 1ul << 6;
inline constexpr UIControlEvents UIControlEventValueChanged = 1ul << 12;

// A view the user operates. Each action runs, with the control as sender, when one of its events
// happens.
class PUSHWREN_EXPORT UIControl : public UIView {
 public:
  using Action = std::function<void(UIControl& sender)>;

  void addTarget(Action action, UIControlEvents events);
  // What a user's touch does: runs the actions registered for any of `events`, in the order they
  // were added.
  void sendActionsForControlEvents(UIControlEvents events);

 private:
  struct Registered {
    Action action;
    UIControlEvents events;
  };
  std::vector<Registered> actions_;
};

// Target-action: calls `action` on the target with the sender, as long as the target lives. A
// control does not own its targets, so a target that holds its controls makes no cycle. A sender
// that is not a Sender is ignored.
template <class Target, class Sender>
UIControl::Action targetAction(const std::shared_ptr<Target>& target, void (Target::*action)(Sender&)) {
  return [weak = std::weak_ptr<Target>(target), action](UIControl& sender) {
    auto* typed = dynamic_cast<Sender*>(&sender);
    if (auto strong = weak.lock(); strong && typed) ((*strong).*action)(*typed);
  };
}

}  // namespace pushwren
