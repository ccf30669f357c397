#include "pushwren/bridge/command_table.h"

#include <array>

#include "pushwren/bridge/commands.h"

namespace pushwren::bridge {
namespace {

constexpr std::array kCommands{
    CommandEntry{"/info", sendInfo},
    CommandEntry{"/register", registerForPush},
    CommandEntry{"/userPrivacyConsent/grant", grantPrivacyConsent},
    CommandEntry{"/userPrivacyConsent/revoke", revokePrivacyConsent},
    CommandEntry{"/externalUserId/set", logIn},
    CommandEntry{"/login", logIn},
    CommandEntry{"/externalUserId/remove", logOut},
    CommandEntry{"/logout", logOut},
    CommandEntry{"/tags/get", getTags},
    CommandEntry{"/tags/set", setTags},
    CommandEntry{"/tags/delete", deleteTags},
    CommandEntry{"/showTagsUI", showSubscriptions},
    CommandEntry{"/promptLocation", promptLocation},
    CommandEntry{"/iam/addTrigger", addTrigger},
    CommandEntry{"/iam/addTriggers", addTriggers},
    CommandEntry{"/iam/removeTriggerForKey", removeTriggerForKey},
    CommandEntry{"/iam/pauseInAppMessages", pauseInAppMessages},
    CommandEntry{"/iam/setInAppMessageClickHandler", setInAppMessageClickHandler},
    CommandEntry{"/enableForegroundNotifications", enableForegroundNotifications},
    CommandEntry{"/badge/set", setBadge},
};

}  // namespace

std::span<const CommandEntry> commandTable() { return kCommands; }

BridgeCommand commandForPath(std::string_view path) {
  for (const auto& entry : kCommands) {
    if (entry.path == path) return entry.command;
  }
  return nullptr;
}

}  // namespace pushwren::bridge
