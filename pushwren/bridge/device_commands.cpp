#include "pushwren/bridge/commands.h"
#include "pushwren/bridge/readings.h"
#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/onesignal/onesignal.h"
#include "pushwren/platform/application.h"
#include "pushwren/platform/bool_value.h"

namespace pushwren::bridge {

void promptLocation(const BridgeRequest&) { OneSignal::shared()->Location().requestPermission(); }

void enableForegroundNotifications(const BridgeRequest& request) {
  CorvaneAppConfig::sharedAppConfig()->setOneSignalV5ForegroundNotificationsEnabled(
      boolValue(request.entry("enabled")));
}

void setBadge(const BridgeRequest& request) {
  if (const auto count = badgeCount(request.entry("count"))) {
    UIApplication::sharedApplication()->setApplicationIconBadgeNumber(*count);
  }
}

}  // namespace pushwren::bridge
