#include "subscriptions/show_tags_ui.h"

namespace pushwren {

// Placeholder until the subscriptions screen controller takes over: presents nothing.
void showTagsUI(CVPushwren&, const std::shared_ptr<CVJavascriptRunner>&) {}

}  // namespace pushwren
