#include "platform/ui/view_controller.h"

namespace pushwren {

void UIViewController::presentViewController(std::shared_ptr<UIViewController> controller, bool,
                                             std::function<void()> completion) {
  if (!controller || presented_) return;
  controller->presenting_ = weak_from_this();
  presented_ = std::move(controller);
  if (completion) completion();
}

void UIViewController::dismissViewControllerAnimated(bool, std::function<void()> completion) {
  if (presented_) {
    presented_->presenting_.reset();
    presented_.reset();
  } else if (auto presenting = presenting_.lock()) {
    presenting->presented_.reset();
    presenting_.reset();
  }
  if (completion) completion();
}

}  // namespace pushwren
