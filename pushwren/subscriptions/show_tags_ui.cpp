#include "pushwren/subscriptions/show_tags_ui.h"

#include "pushwren/contracts/host/javascript_runner.h"
#include "pushwren/platform/bundle.h"
#include "pushwren/platform/log.h"
#include "pushwren/platform/ui/storyboard.h"
#include "pushwren/subscriptions/resource_bundle.h"
#include "pushwren/subscriptions/screen_owner.h"

namespace pushwren {
namespace {

// `lookedIn` starts the log line when the storyboard cannot be had: where the resource bundle was
// looked for in vain, if it was.
void present(std::shared_ptr<NSBundle> bundle, const std::shared_ptr<CVJavascriptRunner>& runner,
             const std::string& lookedIn) {
  // Without its storyboard the screen cannot be built; the page carries on without it.
  std::string whyNot;
  const auto storyboard = UIStoryboard::storyboardWithName("CVPushwrenSubscriptions", std::move(bundle), &whyNot);
  if (!storyboard) {
    NSLog("Cannot show the subscriptions screen: " + lookedIn + whyNot);
    return;
  }
  const auto screen = storyboard->instantiateInitialViewController();
  if (!screen) {
    NSLog("Cannot show the subscriptions screen: the storyboard's initial scene has no known class");
    return;
  }
  if (runner) runner->presentViewController(screen, true, nullptr);
}

}  // namespace

void showTagsUI(const CVPushwrenScreenOwner& owner, const std::shared_ptr<CVJavascriptRunner>& runner) {
  auto bundle = owner.getBundle();
  // Without the bundle the storyboard is still looked for in the main bundle. Should that fail
  // too, the one line logged names every directory the bundle was looked for in, so a host that
  // installed it in the wrong place can see where it belongs.
  std::string lookedIn;
  if (!bundle) {
    lookedIn = std::string("no ") + kResourceBundleName + " in " + listedDirectories(resourceBundleDirectories()) + "; ";
  }
  present(std::move(bundle), runner, lookedIn);
}

void showTagsUIFromBundle(std::shared_ptr<NSBundle> bundle, const std::shared_ptr<CVJavascriptRunner>& runner) {
  present(std::move(bundle), runner, "");
}

}  // namespace pushwren
