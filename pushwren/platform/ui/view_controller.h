#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pushwren/export.h"
#include "pushwren/platform/ui/control.h"
#include "pushwren/platform/ui/view.h"

namespace pushwren {

class UIStoryboard;
class UIStoryboardSegue;

// A screen. Presenting one shows it modally over this one; its view loads on first need. Main
// thread only.
class PUSHWREN_EXPORT UIViewController : public std::enable_shared_from_this<UIViewController> {
 public:
  virtual ~UIViewController() = default;

  // The class name the screen was made as (a storyboard scene's class).
  virtual std::string className() const = 0;

  // The root view, loaded on first use: made by loadView, filled from the storyboard scene the
  // controller was made from (its views, outlets and embedded controllers), then viewDidLoad.
  std::shared_ptr<UIView> view();
  bool isViewLoaded() const { return view_ != nullptr; }

  // Presents `controller` over this screen and loads its view. Nothing happens, and the
  // completion does not run, when this screen no longer shows (it was dismissed, or the screen
  // that presented it has gone) or already presents another, or when `controller` is none or
  // already shown.
  virtual void presentViewController(std::shared_ptr<UIViewController> controller, bool animated,
                                     std::function<void()> completion);
  // Closes the screen this controller presented or, when it presented none, its own screen.
  virtual void dismissViewControllerAnimated(bool animated, std::function<void()> completion);

  std::shared_ptr<UIViewController> presentedViewController() const { return presented_; }
  std::shared_ptr<UIViewController> presentingViewController() const { return presenting_.lock(); }

  // Controllers whose views are embedded in this one's (a storyboard container).
  void addChildViewController(std::shared_ptr<UIViewController> child);
  const std::vector<std::shared_ptr<UIViewController>>& childViewControllers() const { return children_; }
  std::shared_ptr<UIViewController> parentViewController() const { return parent_.lock(); }

  // The storyboard this controller was made from, or none.
  std::shared_ptr<UIStoryboard> storyboard() const { return storyboard_; }
  void setStoryboardScene(std::shared_ptr<UIStoryboard> storyboard, std::string sceneIdentifier);

  // Storyboard connections, made by name while the view loads. An outlet or action the class
  // does not know is left unconnected.
  virtual bool connectOutlet(std::string_view /*name*/, const std::shared_ptr<UIView>& /*view*/) { return false; }
  virtual UIControl::Action actionForSelector(std::string_view /*selector*/) { return nullptr; }

  // A storyboard segue from this controller is about to run.
  virtual void prepareForSegue(const UIStoryboardSegue& /*segue*/, const std::shared_ptr<UIViewController>& /*sender*/) {}

 protected:
  // Makes the root view; a plain view unless overridden.
  virtual void loadView();
  virtual void viewDidLoad() {}
  void setView(std::shared_ptr<UIView> view) { view_ = std::move(view); }

 private:
  // A screen shows while it is a root (never presented) or while its presenter still holds it.
  enum class Showing { AsRoot, Presented, Closed };
  bool isShowing() const;
  void close();

  std::shared_ptr<UIView> view_;
  std::shared_ptr<UIViewController> presented_;
  std::weak_ptr<UIViewController> presenting_;
  Showing showing_ = Showing::AsRoot;
  std::vector<std::shared_ptr<UIViewController>> children_;
  std::weak_ptr<UIViewController> parent_;
  std::shared_ptr<UIStoryboard> storyboard_;
  std::string sceneIdentifier_;
};

}  // namespace pushwren
