#include "pushwren/plugin/CVPushwren.h"

#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/host/app_delegate.h"
#include "pushwren/contracts/host/register_module.h"
#include "pushwren/contracts/host/tracking_status.h"
#include "pushwren/contracts/onesignal/onesignal.h"
#include "pushwren/platform/bool_value.h"
#include "pushwren/subscriptions/register_screen_classes.h"

namespace pushwren {
namespace {

// Registers the class with the host when the plugin's code is loaded, before the app launches.
// Linked from a static archive, this runs only if the host's own code refers to the plugin: that
// is why a static host calls load() itself.
[[maybe_unused]] const bool registered = [] {
  CVPushwren::load();
  return true;
}();

}  // namespace

void CVPushwren::load() {
  static const bool loaded = [] {
    registerSubscriptionsScreenClasses();
    CVRegisterModule("CVPushwren", [] { return std::static_pointer_cast<CVEventEmitter>(CVPushwren::make()); });
    return true;
  }();
  (void)loaded;
}

std::shared_ptr<CVPushwren> CVPushwren::make() {
  struct Made : CVPushwren {};
  return std::make_shared<Made>();
}

void CVPushwren::didFinishLaunchingWithOptions(UIApplication& application,
                                               const std::optional<boost::json::object>& launchOptions) {
  const auto config = CorvaneAppConfig::sharedAppConfig();
  if (!config->oneSignalV5Enabled()) return;

  const auto sdk = OneSignal::shared();
  // Consent must be required before the SDK starts, or it would start collecting at once.
  sdk->setConsentRequired(config->oneSignalV5RequiresUserPrivacyConsent());
  sdk->initialize(config->oneSignalV5AppId(), launchOptions);

  const auto self = shared_from_this();
  sdk->Notifications().addClickListener(self);
  sdk->Notifications().addForegroundLifecycleListener(self);
  sdk->User().pushSubscription().addObserver(self);
  sdk->InAppMessages().addClickListener(self);

  if (config->oneSignalV5AutoRegister() && !config->oneSignalV5RequiresUserPrivacyConsent()) {
    // A device already opted in gets the soft prompt's trigger; any other is opted in directly.
    if (config->oneSignalV5IosSoftPrompt() && sdk->User().pushSubscription().optedIn()) {
      sdk->InAppMessages().addTrigger("prompt_ios", boost::json::value("true"));
    } else {
      sdk->User().pushSubscription().optIn();
    }
  }

  if (config->oneSignalV5ClearNotificationsOnLaunch()) application.setApplicationIconBadgeNumber(0);

  auto& subscription = sdk->User().pushSubscription();
  setRegistrationUserId(subscription.id(), subscription.token(), subscription.optedIn());

  const std::weak_ptr<CVPushwren> weakSelf = self;
  NSNotificationCenter::defaultCenter()->addObserver(
      std::string(kCVAppTrackingStatusChangedNotification), [weakSelf](const NSNotification& notification) {
        if (const auto plugin = weakSelf.lock()) plugin->appTrackingStatusChanged(notification);
      });
}

void CVPushwren::setRegistrationUserId(const std::optional<std::string>& userId,
                                       const std::optional<std::string>& pushToken, bool optedIn) {
  const auto delegate = UIApplication::sharedApplication()->delegate();
  auto* provider = dynamic_cast<CVRegistrationProvider*>(delegate.get());
  if (provider == nullptr) return;

  const auto registration = provider->registration();
  if (auto* setter = dynamic_cast<CVOneSignalUserIdSetter*>(registration.get())) {
    setter->setOneSignalUserId(userId, pushToken, optedIn);
  }
  if (auto* setter = dynamic_cast<CVOneSignalPrivacyConsentSetter*>(registration.get())) {
    setter->setOneSignalRequiresPrivacyConsent(CorvaneAppConfig::sharedAppConfig()->oneSignalV5RequiresUserPrivacyConsent());
  }
}

void CVPushwren::appTrackingStatusChanged(const NSNotification& notification) {
  const auto config = CorvaneAppConfig::sharedAppConfig();
  if (!config->oneSignalV5Enabled()) return;

  const bool consent = notification.object && boolValue(*notification.object);
  const auto sdk = OneSignal::shared();
  sdk->setConsentGiven(consent);
  if (consent && config->oneSignalV5AutoRegister()) sdk->User().pushSubscription().optIn();
}

void CVPushwren::onPushSubscriptionDidChangeWithState(const OSPushSubscriptionChangedState& state) {
  setRegistrationUserId(state.current.id, state.current.token, state.current.optedIn);
}

}  // namespace pushwren
