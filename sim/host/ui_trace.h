#pragma once

#include <memory>
#include <vector>

#include "pushwren/platform/ui/ui_observer.h"
#include "pushwren/platform/ui/view_controller.h"
#include "sim/trace.h"

namespace pushwren::sim {

// The headless screen of the reference host: traces what the plugin's screens do (the ui.*
// lines) and keeps track of the screens shown, so that steps can operate the topmost one.
class UITrace : public UIObserver {
 public:
  explicit UITrace(Trace& trace) : trace_(trace) {}

  // The screen presented last that still shows, alerts not counted; none when none shows.
  std::shared_ptr<UIViewController> topmostScreen() const;
  // The app's process ended: none of its screens shows any more.
  void forgetScreens() { screens_.clear(); }

  void viewControllerPresented(const UIViewController& presenting,
                               const std::shared_ptr<UIViewController>& presented) override;
  void viewControllerDismissed(const UIViewController& dismissed) override;
  void viewHiddenChanged(const UIView& view) override;
  void activityIndicatorStopped(const UIActivityIndicatorView& indicator) override;
  void tableViewDisplayedRows(const UITableView& table) override;

 private:
  Trace& trace_;
  std::vector<std::weak_ptr<UIViewController>> screens_;
};

}  // namespace pushwren::sim
