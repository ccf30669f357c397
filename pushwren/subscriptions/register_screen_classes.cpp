#include "pushwren/subscriptions/register_screen_classes.h"

#include "pushwren/platform/ui/view_controller_registry.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsController.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsTableViewController.h"

namespace pushwren {
namespace {

[[maybe_unused]] const bool registered = [] {
  registerSubscriptionsScreenClasses();
  return true;
}();

}  // namespace

void registerSubscriptionsScreenClasses() {
  static const bool done = [] {
    registerViewControllerClass(CVPushwrenSubscriptionsController::kClassName,
                                [] { return std::make_shared<CVPushwrenSubscriptionsController>(); });
    registerViewControllerClass(CVPushwrenSubscriptionsTableViewController::kClassName,
                                [] { return std::make_shared<CVPushwrenSubscriptionsTableViewController>(); });
    return true;
  }();
  (void)done;
}

}  // namespace pushwren
