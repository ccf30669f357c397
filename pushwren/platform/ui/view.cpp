#include "pushwren/platform/ui/view.h"

#include "pushwren/platform/ui/ui_observer.h"

namespace pushwren {

void UIView::setHidden(bool hidden) {
  hidden_ = hidden;
  if (auto* observer = uiObserver()) observer->viewHiddenChanged(*this);
}

void UIView::addSubview(std::shared_ptr<UIView> view) {
  if (!view || view.get() == this) return;
  view->superview_ = weak_from_this();
  subviews_.push_back(std::move(view));
}

}  // namespace pushwren
