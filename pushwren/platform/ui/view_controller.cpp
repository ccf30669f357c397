#include "pushwren/platform/ui/view_controller.h"

#include <utility>

#include "pushwren/platform/ui/storyboard.h"
#include "pushwren/platform/ui/ui_observer.h"

namespace pushwren {

std::shared_ptr<UIView> UIViewController::view() {
  if (view_) return view_;
  const auto self = weak_from_this().lock();
  loadView();
  if (!view_) view_ = std::make_shared<UIView>();
  view_->setViewController(weak_from_this());
  if (storyboard_ && self) storyboard_->loadSceneContents(self, sceneIdentifier_);
  viewDidLoad();
  return view_;
}

void UIViewController::loadView() { view_ = std::make_shared<UIView>(); }

// The parameters are sinks of the platform's interface: overrides keep what they are given.
// NOLINTBEGIN(performance-unnecessary-value-param)
void UIViewController::presentViewController(std::shared_ptr<UIViewController> controller, bool,
                                             std::function<void()> completion) {
  if (!controller || controller.get() == this || !isShowing() || presented_ || controller->presentingViewController()) {
    return;
  }
  controller->presenting_ = weak_from_this();
  controller->showing_ = Showing::Presented;
  presented_ = controller;
  controller->view();
  if (auto* observer = uiObserver()) observer->viewControllerPresented(*this, controller);
  if (completion) completion();
}

void UIViewController::dismissViewControllerAnimated(bool, std::function<void()> completion) {
  // The last owner of this controller may be the one that lets it go here.
  const auto keepAlive = weak_from_this().lock();
  std::shared_ptr<UIViewController> dismissed = presented_;
  if (!dismissed) {
    if (auto presenting = presenting_.lock(); presenting && presenting->presented_.get() == this) {
      dismissed = keepAlive;
    }
  }
  if (dismissed) {
    if (auto presenting = dismissed->presenting_.lock()) presenting->presented_.reset();
    dismissed->close();
    if (auto* observer = uiObserver()) observer->viewControllerDismissed(*dismissed);
  }
  if (completion) completion();
}
// NOLINTEND(performance-unnecessary-value-param)

bool UIViewController::isShowing() const {
  return showing_ == Showing::AsRoot || (showing_ == Showing::Presented && !presenting_.expired());
}

void UIViewController::close() {
  // Whatever this screen presented goes with it.
  for (auto screen = shared_from_this(); screen;) {
    screen->presenting_.reset();
    screen->showing_ = Showing::Closed;
    screen = std::exchange(screen->presented_, nullptr);
  }
}

void UIViewController::addChildViewController(std::shared_ptr<UIViewController> child) {
  if (!child || child.get() == this) return;
  child->parent_ = weak_from_this();
  children_.push_back(std::move(child));
}

void UIViewController::setStoryboardScene(std::shared_ptr<UIStoryboard> storyboard, std::string sceneIdentifier) {
  storyboard_ = std::move(storyboard);
  sceneIdentifier_ = std::move(sceneIdentifier);
}

}  // namespace pushwren
