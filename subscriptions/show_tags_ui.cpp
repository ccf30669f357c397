#include "subscriptions/show_tags_ui.h"

#include "contracts/host/javascript_runner.h"
#include "platform/bundle.h"
#include "platform/log.h"
#include "platform/ui/storyboard.h"
#include "subscriptions/screen_owner.h"

namespace pushwren {

void showTagsUI(const CVPushwrenScreenOwner& owner, const std::shared_ptr<CVJavascriptRunner>& runner) {
  showTagsUIFromBundle(owner.getBundle(), runner);
}

void showTagsUIFromBundle(std::shared_ptr<NSBundle> bundle, const std::shared_ptr<CVJavascriptRunner>& runner) {
  // Without its storyboard the screen cannot be built; the page carries on without it.
  std::string whyNot;
  const auto storyboard = UIStoryboard::storyboardWithName("CVPushwrenSubscriptions", std::move(bundle), &whyNot);
  if (!storyboard) {
    NSLog("Cannot show the subscriptions screen: " + whyNot);
    return;
  }
  const auto screen = storyboard->instantiateInitialViewController();
  if (!screen) {
    NSLog("Cannot show the subscriptions screen: the storyboard's initial scene has no known class");
    return;
  }
  if (runner) runner->presentViewController(screen, true, nullptr);
}

}  // namespace pushwren
