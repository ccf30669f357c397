#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/onesignal/onesignal.h"
#include "pushwren/plugin/CVPushwren.h"

namespace pushwren {

void CVPushwren::runOneSignalInfoWithCallback(const CallbackName& callback) {
  const auto config = CorvaneAppConfig::sharedAppConfig();
  const auto sdk = OneSignal::shared();
  auto& user = sdk->User();

  boost::json::object info;
  info["requiresUserPrivacyConsent"] = config->oneSignalV5RequiresUserPrivacyConsent();
  info["legacy"] = false;
  if (auto id = user.onesignalId()) info["oneSignalId"] = *id;
  if (auto id = user.externalId()) info["externalId"] = *id;

  auto& push = user.pushSubscription();
  const auto id = push.id();
  const auto token = push.token();
  const bool optedIn = push.optedIn();
  boost::json::object subscription;
  if (id) subscription["id"] = *id;
  if (token) subscription["token"] = *token;
  subscription["optedIn"] = optedIn;
  info["subscription"] = std::move(subscription);

  const auto current = runner();
  if (auto* reporter = dynamic_cast<CVCorvaneInfoRunner*>(current.get())) {
    reporter->runCorvaneInfoWithCallback(callback, info);
  }
}

}  // namespace pushwren
