#pragma once

#include <memory>

namespace pushwren {

class CVPushwren;
class CVJavascriptRunner;

// "/showTagsUI": presents the subscriptions screen from the runner whose page asked for it.
void showTagsUI(CVPushwren& plugin, const std::shared_ptr<CVJavascriptRunner>& runner);

}  // namespace pushwren
