#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pushwren/export.h"

namespace pushwren {

class UIViewController;

// A rectangle on screen, headless: it can be hidden, carries an integer tag and an identifier
// for finding it, and holds its subviews. Main thread only.
class PUSHWREN_EXPORT UIView : public std::enable_shared_from_this<UIView> {
 public:
  virtual ~UIView() = default;

  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);

  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }

  // How a host or a test finds this view (the accessibility identifier).
  const std::string& accessibilityIdentifier() const { return identifier_; }
  void setAccessibilityIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

  void addSubview(std::shared_ptr<UIView> view);
  const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
  std::shared_ptr<UIView> superview() const { return superview_.lock(); }

  // The controller whose root view this is, or none.
  std::shared_ptr<UIViewController> viewController() const { return controller_.lock(); }
  void setViewController(std::weak_ptr<UIViewController> controller) { controller_ = std::move(controller); }

  // This view or the first of its subviews, depth first, that is a T and passes `test`.
  template <class T, class Test>
  std::shared_ptr<T> findView(const Test& test) {
    if (auto self = std::dynamic_pointer_cast<T>(shared_from_this()); self && test(*self)) return self;
    for (const auto& subview : subviews_) {
      if (auto found = subview->findView<T>(test)) return found;
    }
    return nullptr;
  }

 private:
  bool hidden_ = false;
  long tag_ = 0;
  std::string identifier_;
  std::vector<std::shared_ptr<UIView>> subviews_;
  std::weak_ptr<UIView> superview_;
  std::weak_ptr<UIViewController> controller_;
};

}  // namespace pushwren
