// The screen's controllers are made by class name from its storyboard; they register when the
// plugin's code is loaded.
#include "pushwren/platform/ui/view_controller_registry.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsController.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsTableViewController.h"

namespace pushwren {
namespace {

struct RegisterScreenClasses {
  RegisterScreenClasses() {
    registerViewControllerClass(CVPushwrenSubscriptionsController::kClassName,
                                [] { return std::make_shared<CVPushwrenSubscriptionsController>(); });
    registerViewControllerClass(CVPushwrenSubscriptionsTableViewController::kClassName,
                                [] { return std::make_shared<CVPushwrenSubscriptionsTableViewController>(); });
  }
} registerScreenClasses;

}  // namespace
}  // namespace pushwren
