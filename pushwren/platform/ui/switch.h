#pragma once

#include "pushwren/platform/ui/control.h"

namespace pushwren {

// An on/off switch, off when made. A user's flip sets it and sends UIControlEventValueChanged.
class UISwitch : public UIControl {
 public:
  bool isOn() const { return on_; }
  void setOn(bool on) { on_ = on; }

 private:
  bool on_ = false;
};

}  // namespace pushwren
