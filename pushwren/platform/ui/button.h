#pragma once

#include <string>

#include "pushwren/platform/ui/control.h"

namespace pushwren {

class UIButton : public UIControl {
 public:
  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }

 private:
  std::string title_;
};

}  // namespace pushwren
