#include "pushwren/contracts/host/app_config.h"
#include "pushwren/contracts/onesignal/onesignal.h"
#include "pushwren/plugin/CVPushwren.h"
#include "pushwren/plugin/OneSignalV5Utilities.h"

namespace pushwren {
namespace {

// The URL a tapped notification opens: "u" when it is a string (parseable or not), else
// "targetUrl" when that is a string.
const boost::json::string* notificationUrlValue(const boost::json::object& payload) {
  if (const auto* u = payload.if_contains("u"); u && u->is_string()) return &u->get_string();
  if (const auto* target = payload.if_contains("targetUrl"); target && target->is_string()) {
    return &target->get_string();
  }
  return nullptr;
}

}  // namespace

void CVPushwren::runnerDidLoad(const std::shared_ptr<CVJavascriptRunner>& runner) { setRunner(runner); }

void CVPushwren::runnerWillAppear(const std::shared_ptr<CVJavascriptRunner>& runner) { setRunner(runner); }

void CVPushwren::didFinishNavigation(const WKWebView*, const WKNavigation*,
                                     const std::shared_ptr<CVJavascriptRunner>& runner) {
  setRunner(runner);
  setIsWebviewInitialized(true);
  runPushNotificationOpenedCallback();
  if (!CorvaneAppConfig::sharedAppConfig()->oneSignalV5Enabled()) return;
  runOneSignalInfoWithCallback(boost::json::value("tavio_onesignal_info"));
  runOneSignalInfoWithCallback(boost::json::value("corvane_onesignal_info"));
}

void CVPushwren::onClickNotification(const OSNotificationClickEvent& event) {
  const auto notification = event.notification();
  auto data = notification ? notification->additionalData() : std::nullopt;
  if (!data) return;
  setNotificationData(std::move(data));
  runPushNotificationOpenedCallback();
}

void CVPushwren::runPushNotificationOpenedCallback() {
  if (!isWebviewInitialized()) return;
  // Taken out in one step, so a payload is delivered at most once.
  const auto payload = notificationData_.take();
  if (!payload) return;

  const auto current = runner();
  if (const auto* value = notificationUrlValue(*payload)) {
    if (const auto url = OneSignalV5Utilities::urlWithString(*value)) {
      if (current) current->handleJsNavigationUrl(url->absoluteString());
      return;
    }
  }
  if (!current) return;
  const boost::json::value callbacks = boost::json::array{"corvane_onesignal_push_opened", "tavio_onesignal_push_opened"};
  current->runJavascriptWithCallback(callbacks, *payload);
  current->triggerEvent("_tavio_onesignal_push_opened", *payload);
}

void CVPushwren::onWillDisplayNotification(OSNotificationWillDisplayEvent& event) {
  if (CorvaneAppConfig::sharedAppConfig()->oneSignalV5ForegroundNotificationsEnabled()) {
    if (const auto notification = event.notification()) notification->display();
  } else {
    event.preventDefault();
  }
}

void CVPushwren::onClickInAppMessage(const OSInAppMessageClickEvent& event) {
  const auto callback = inAppMessageCallback();
  if (!callback) return;

  const auto result = event.result();
  boost::json::object payload;
  payload["clickUrl"] = result.url.value_or("");
  payload["clickName"] = result.actionId.value_or("");
  payload["closesMessage"] = result.closingMessage;
  if (const auto current = runner()) current->runJavascriptWithCallback(callback, payload);
}

}  // namespace pushwren
