#include "bridge/commands.h"
#include "subscriptions/show_tags_ui.h"

namespace pushwren::bridge {

void showSubscriptions(const BridgeRequest& request) { showTagsUI(request.plugin, request.runner); }

}  // namespace pushwren::bridge
