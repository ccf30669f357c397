#include "pushwren/bridge/answers.h"
#include "pushwren/bridge/commands.h"
#include "pushwren/bridge/readings.h"
#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/onesignal/onesignal.h"

namespace pushwren::bridge {

void sendInfo(const BridgeRequest& request) {
  // The info report answers through the plugin's runner, which the router has just set to this
  // request's runner.
  request.plugin.runOneSignalInfoWithCallback(callbackEntry(request.data));
}

void registerForPush(const BridgeRequest&) { OneSignal::shared()->User().pushSubscription().optIn(); }

void grantPrivacyConsent(const BridgeRequest&) {
  const auto sdk = OneSignal::shared();
  sdk->setConsentGiven(true);
  // The page's grant follows the host's own oneSignalAutoRegister, not the launch's
  // oneSignalV5AutoRegister; the two may differ.
  if (CorvaneAppConfig::sharedAppConfig()->oneSignalAutoRegister()) sdk->User().pushSubscription().optIn();
}

void revokePrivacyConsent(const BridgeRequest&) {
  // The push subscription stays as it is: withdrawing consent does not opt the device out.
  OneSignal::shared()->setConsentGiven(false);
}

void logIn(const BridgeRequest& request) {
  const auto* externalId = request.entry("externalId");
  std::optional<std::string> id;
  switch (kindOf(externalId)) {
    case ValueKind::string: id = std::string(externalId->get_string()); break;
    case ValueKind::number: id = numberString(*externalId); break;
    default: break;
  }
  if (!id) {
    sendAnswer(request, failureAnswer("Invalid user id"));
    return;
  }
  OneSignal::shared()->login(*id);
  sendAnswer(request, successAnswer());
}

void logOut(const BridgeRequest& request) {
  OneSignal::shared()->logout();
  sendAnswer(request, successAnswer());
}

}  // namespace pushwren::bridge
