#pragma once

#include <functional>
#include <memory>
#include <string>

namespace pushwren {

// A screen. Presenting one shows it modally over this one.
class UIViewController : public std::enable_shared_from_this<UIViewController> {
 public:
  virtual ~UIViewController() = default;

  // The class name the screen was made as (a storyboard scene's class).
  virtual std::string className() const = 0;

  virtual void presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                                     std::function<void()> completion);
  // Closes the screen this controller presented or, when it presented none, its own screen.
  virtual void dismissViewControllerAnimated(bool animated, std::function<void()> completion);

  std::shared_ptr<UIViewController> presentedViewController() const { return presented_; }
  std::shared_ptr<UIViewController> presentingViewController() const { return presenting_.lock(); }

 private:
  std::shared_ptr<UIViewController> presented_;
  std::weak_ptr<UIViewController> presenting_;
};

}  // namespace pushwren
