#include "pushwren/platform/ui/activity_indicator_view.h"

#include "pushwren/platform/ui/ui_observer.h"

namespace pushwren {

void UIActivityIndicatorView::stopAnimating() {
  animating_ = false;
  if (auto* observer = uiObserver()) observer->activityIndicatorStopped(*this);
}

}  // namespace pushwren
