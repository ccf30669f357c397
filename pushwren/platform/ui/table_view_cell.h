#pragma once

#include <memory>
#include <string>

#include "pushwren/platform/ui/label.h"
#include "pushwren/platform/ui/view.h"

namespace pushwren {

enum class UITableViewCellStyle {
  Default,  // a text label
  Custom,   // no label of its own
};

// One row of a table: a text label (none in a custom cell) and an optional view at the trailing
// end (the accessory).
class UITableViewCell : public UIView {
 public:
  UITableViewCell(UITableViewCellStyle style, std::string reuseIdentifier)
      : reuseIdentifier_(std::move(reuseIdentifier)),
        textLabel_(style == UITableViewCellStyle::Default ? std::make_shared<UILabel>() : nullptr) {}

  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  const std::shared_ptr<UILabel>& textLabel() const { return textLabel_; }

  const std::shared_ptr<UIView>& accessoryView() const { return accessoryView_; }
  void setAccessoryView(std::shared_ptr<UIView> view) { accessoryView_ = std::move(view); }

 private:
  std::string reuseIdentifier_;
  std::shared_ptr<UILabel> textLabel_;
  std::shared_ptr<UIView> accessoryView_;
};

}  // namespace pushwren
