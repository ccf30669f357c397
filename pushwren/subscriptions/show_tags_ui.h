#pragma once

#include <memory>

namespace pushwren {

class CVPushwrenScreenOwner;
class CVJavascriptRunner;
class NSBundle;

// "/showTagsUI": presents the subscriptions screen from the runner whose page asked for it.
void showTagsUI(const CVPushwrenScreenOwner& owner, const std::shared_ptr<CVJavascriptRunner>& runner);

// The same with the screen's storyboard taken from `bundle` (none: the app's main bundle).
// Without a usable storyboard it logs one line and presents nothing.
void showTagsUIFromBundle(std::shared_ptr<NSBundle> bundle, const std::shared_ptr<CVJavascriptRunner>& runner);

}  // namespace pushwren
