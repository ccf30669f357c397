#pragma once

#include <memory>

namespace pushwren {

class UIActivityIndicatorView;
class UITableView;
class UIView;
class UIViewController;

// Told of what changes on screen, so a headless host can show or record it. Every call comes on
// the main thread, after the change has been made.
class UIObserver {
 public:
  virtual ~UIObserver() = default;

  // `presented` now shows over `presenting`; its view has loaded.
  virtual void viewControllerPresented(const UIViewController& presenting,
                                       const std::shared_ptr<UIViewController>& presented) = 0;
  // `dismissed` no longer shows.
  virtual void viewControllerDismissed(const UIViewController& dismissed) = 0;
  // The view was hidden or shown (isHidden() tells which).
  virtual void viewHiddenChanged(const UIView& view) = 0;
  virtual void activityIndicatorStopped(const UIActivityIndicatorView& indicator) = 0;
  // The table has asked its data source for everything and shows the answer.
  virtual void tableViewDisplayedRows(const UITableView& table) = 0;
};

// Installs the observer, which is not owned; nullptr removes it.
void setUIObserver(UIObserver* observer);
// The installed observer, or nullptr.
UIObserver* uiObserver();

}  // namespace pushwren
