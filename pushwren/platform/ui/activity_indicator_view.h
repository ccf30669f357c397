#pragma once

#include "pushwren/platform/ui/view.h"

namespace pushwren {

// A spinner that shows work in progress.
class UIActivityIndicatorView : public UIView {
 public:
  bool isAnimating() const { return animating_; }
  void startAnimating() { animating_ = true; }
  void stopAnimating();

 private:
  bool animating_ = false;
};

}  // namespace pushwren
