#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

#include "pushwren/bridge/bridge_plugin.h"
#include "pushwren/contracts/host/event_emitter.h"
#include "pushwren/contracts/onesignal/listeners.h"
#include "pushwren/export.h"
#include "pushwren/platform/atomic_property.h"
#include "pushwren/platform/notification_center.h"

namespace pushwren {

// The plugin as the host sees it: one object, made by the host after the class registered itself
// when its code was loaded. It starts the push SDK at launch, listens to the SDK's events,
// answers the page's bridge URLs and hands taps and in-app clicks on to the page.
class PUSHWREN_EXPORT CVPushwren : public CVEventEmitter,
                   public CVPushwrenBridgePlugin,
                   public OSNotificationClickListener,
                   public OSInAppMessageClickListener,
                   public OSNotificationLifecycleListener,
                   public OSPushSubscriptionObserver,
                   public std::enable_shared_from_this<CVPushwren> {
 public:
  // The host makes the object through the factory the class registered; it is always owned by
  // a shared_ptr, since the plugin hands weak references to itself to the SDK.
  static std::shared_ptr<CVPushwren> make();

  // Registers the class with CVRegisterModule, and the subscriptions screen's classes, once. The
  // shared library calls it when it is loaded; a host linked with the static library calls it
  // before it reads CVRegisteredModules(). Later calls do nothing.
  static void load();

  // Launch, registration report and consent.
  void didFinishLaunchingWithOptions(UIApplication& application,
                                     const std::optional<boost::json::object>& launchOptions) override;
  void setRegistrationUserId(const std::optional<std::string>& userId,
                             const std::optional<std::string>& pushToken, bool optedIn);
  void appTrackingStatusChanged(const NSNotification& notification);

  // Learning the runner and the end of a navigation.
  void runnerDidLoad(const std::shared_ptr<CVJavascriptRunner>& runner) override;
  void runnerWillAppear(const std::shared_ptr<CVJavascriptRunner>& runner) override;
  void didFinishNavigation(const WKWebView* webView, const WKNavigation* navigation,
                           const std::shared_ptr<CVJavascriptRunner>& runner) override;

  // Hands the URL to the bridge router: false for every URL whose host is "onesignal".
  bool shouldLoadRequestWithURL(const std::shared_ptr<CVJavascriptRunner>& runner, std::string_view url,
                                const boost::json::object& data) override;

  // The info payload, handed to the runner's info report under the callback name.
  void runOneSignalInfoWithCallback(const CallbackName& callback) override;
  // Delivers the waiting push-opened payload once the web view is ready.
  void runPushNotificationOpenedCallback();

  // The plugin's resource bundle: the one beside the plugin's code, else the one in the app's
  // main bundle; none when neither exists.
  std::shared_ptr<NSBundle> getBundle() const override;

  // SDK listeners and observer.
  void onClickInAppMessage(const OSInAppMessageClickEvent& event) override;
  void onClickNotification(const OSNotificationClickEvent& event) override;
  void onWillDisplayNotification(OSNotificationWillDisplayEvent& event) override;
  void onPushSubscriptionDidChangeWithState(const OSPushSubscriptionChangedState& state) override;

  // Properties. `runner` is weak: it reads absent once the host lets go of the runner.
  std::shared_ptr<CVJavascriptRunner> runner() const { return runner_.lock(); }
  void setRunner(const std::shared_ptr<CVJavascriptRunner>& runner) override { runner_ = runner; }
  std::optional<boost::json::value> inAppMessageCallback() const { return inAppMessageCallback_.get(); }
  void setInAppMessageCallback(std::optional<boost::json::value> callback) override {
    inAppMessageCallback_.set(std::move(callback));
  }
  std::optional<boost::json::object> notificationData() const { return notificationData_.get(); }
  void setNotificationData(std::optional<boost::json::object> data) { notificationData_.set(std::move(data)); }
  bool isWebviewInitialized() const { return isWebviewInitialized_.load(); }
  void setIsWebviewInitialized(bool initialized) { isWebviewInitialized_.store(initialized); }

 protected:
  CVPushwren() = default;

 private:
  std::weak_ptr<CVJavascriptRunner> runner_;
  AtomicProperty<std::optional<boost::json::value>> inAppMessageCallback_;
  AtomicProperty<std::optional<boost::json::object>> notificationData_;
  std::atomic<bool> isWebviewInitialized_{false};
};

}  // namespace pushwren
