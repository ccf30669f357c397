#include "bridge/commands.h"
#include "bridge/readings.h"
#include "contracts/host/app_config.h"
#include "contracts/onesignal/onesignal.h"
#include "platform/application.h"
#include "platform/bool_value.h"

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
