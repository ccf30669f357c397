#pragma once

#include <optional>
#include <string>

#include "pushwren/platform/ui/view.h"

namespace pushwren {

// A line of text; none shows nothing.
class UILabel : public UIView {
 public:
  const std::optional<std::string>& text() const { return text_; }
  void setText(std::optional<std::string> text) { text_ = std::move(text); }

 private:
  std::optional<std::string> text_;
};

}  // namespace pushwren
