#include "pushwren/bridge/commands.h"
#include "pushwren/subscriptions/show_tags_ui.h"

namespace pushwren::bridge {

void showSubscriptions(const BridgeRequest& request) { showTagsUI(request.plugin, request.runner); }

}  // namespace pushwren::bridge
