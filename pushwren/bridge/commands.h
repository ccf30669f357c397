#pragma once

#include "pushwren/bridge/bridge_request.h"

// The bridge commands, one function each. The router reaches them through the command table
// only, after it has recognised a bridge URL and found the plugin switched on.
namespace pushwren::bridge {

// User commands.
void sendInfo(const BridgeRequest& request);
void registerForPush(const BridgeRequest& request);
void grantPrivacyConsent(const BridgeRequest& request);
void revokePrivacyConsent(const BridgeRequest& request);
void logIn(const BridgeRequest& request);
void logOut(const BridgeRequest& request);

// Data tags.
void getTags(const BridgeRequest& request);
void setTags(const BridgeRequest& request);
void deleteTags(const BridgeRequest& request);

// The subscriptions screen.
void showSubscriptions(const BridgeRequest& request);

// In-app messages.
void addTrigger(const BridgeRequest& request);
void addTriggers(const BridgeRequest& request);
void removeTriggerForKey(const BridgeRequest& request);
void pauseInAppMessages(const BridgeRequest& request);
void setInAppMessageClickHandler(const BridgeRequest& request);

// Device.
void promptLocation(const BridgeRequest& request);
void enableForegroundNotifications(const BridgeRequest& request);
void setBadge(const BridgeRequest& request);

}  // namespace pushwren::bridge
