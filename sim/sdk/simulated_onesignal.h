#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/object.hpp>

#include "pushwren/contracts/onesignal/onesignal.h"
#include "sim/sdk/in_app_message.h"
#include "sim/trace.h"

namespace pushwren::sim {

// Whether the device lets the app send notifications: "granted", "prompt" (not asked yet) or
// "denied".
enum class PushPermission { Granted, Prompt, Denied };
std::string_view permissionName(PushPermission permission);
std::optional<PushPermission> permissionNamed(std::string_view name);

// A notification as a person sees it: what the playground draws. Only the additional data
// reaches the plugin.
struct NotificationContent {
  std::optional<std::string> title;
  std::optional<std::string> body;
  std::optional<boost::json::object> additionalData;
};

// The push SDK of the reference host. It keeps its state and changes it as the calls say, traces
// every call made into it (reads are not traced), and never calls a listener by itself: only
// the fire* operations and the user's answers (the permission prompt, an in-app message's
// buttons) send events, to the listeners registered at that moment.
class SimulatedOneSignal final : public OneSignal,
                                 OSUser,
                                 OSPushSubscription,
                                 OSNotifications,
                                 OSInAppMessages,
                                 OSLocation {
 public:
  struct State {
    // Stored on the device: a new process of the app finds these as they were (relaunched()).
    std::optional<std::string> onesignalId;
    std::optional<std::string> externalId;
    OSPushSubscriptionState subscription;
    boost::json::object tags;
    PushPermission permission = PushPermission::Granted;
    std::vector<InAppMessage> inAppMessages;
    std::set<std::string> shownMessageIds;  // each message is shown once on a device
    // The process's own.
    boost::json::object triggers;
    bool consentRequired = false;
    bool consentGiven = false;
    bool paused = false;
    bool locationRequested = false;
    bool initialized = false;
    bool permissionPromptOpen = false;
    std::vector<InAppMessage> displayedMessages;  // on screen now, in the order shown
  };

  explicit SimulatedOneSignal(Trace& trace) : trace_(trace) {}

  // The SDK of the app's next process on this device: the stored state carries over, nothing
  // else does (no listeners, triggers, paused flag, open prompt or message on screen).
  std::shared_ptr<SimulatedOneSignal> relaunched() const;

  State state() const;
  // Sets state directly, without tracing and without events.
  void setOnesignalId(std::optional<std::string> id);
  void setExternalId(std::optional<std::string> id);
  void setSubscription(OSPushSubscriptionState subscription);
  void setTags(boost::json::object tags);
  // A permission other than "prompt" closes a prompt that is open: the question is settled.
  void setPermission(PushPermission permission);
  // Replaces the messages the device knows of, then shows those whose trigger holds.
  void setInAppMessages(std::vector<InAppMessage> messages);

  // Events, each to every listener registered for it.
  void fireNotificationClick(const NotificationContent& notification);
  void fireNotificationWillDisplay(const NotificationContent& notification);
  void fireInAppMessageClick(OSInAppMessageClickResult result);
  void fireSubscriptionChanged(OSPushSubscriptionState current);

  // The user answers the open permission prompt. Allowing opts the device in (with an id and a
  // token where it has none) and tells the subscription observers. False when no prompt is open.
  bool answerPermissionPrompt(bool allow);
  // The user presses a button of a message on screen: the in-app click listeners hear of it, a
  // closing button takes the message away, a push-prompt button then asks for permission as
  // optIn does. False when no message of that id is on screen or it has no such button.
  bool pressInAppMessageButton(const std::string& messageId, std::size_t button);

  // OneSignal
  void setConsentRequired(bool required) override;
  void initialize(const std::optional<std::string>& appId,
                  const std::optional<boost::json::object>& launchOptions) override;
  void setConsentGiven(bool given) override;
  void login(const std::string& externalId) override;
  void logout() override;
  OSUser& User() override { return *this; }
  OSNotifications& Notifications() override { return *this; }
  OSInAppMessages& InAppMessages() override { return *this; }
  OSLocation& Location() override { return *this; }

  // User
  OSPushSubscription& pushSubscription() override { return *this; }
  std::optional<std::string> onesignalId() const override;
  std::optional<std::string> externalId() const override;
  std::optional<boost::json::object> getTags() const override;
  void addTags(const boost::json::object& tags) override;
  void removeTags(const boost::json::array& keys) override;
  void addTagWithKey(const std::string& key, const std::string& value) override;
  void removeTag(const std::string& key) override;

  // Push subscription
  std::optional<std::string> id() const override;
  std::optional<std::string> token() const override;
  bool optedIn() const override;
  void optIn() override;
  void addObserver(std::weak_ptr<OSPushSubscriptionObserver> observer) override;

  // Notifications
  void addClickListener(std::weak_ptr<OSNotificationClickListener> listener) override;
  void addForegroundLifecycleListener(std::weak_ptr<OSNotificationLifecycleListener> listener) override;

  // In-app messages
  void addClickListener(std::weak_ptr<OSInAppMessageClickListener> listener) override;
  void addTrigger(const std::string& key, const boost::json::value& value) override;
  void addTriggers(const boost::json::object& triggers) override;
  void removeTrigger(const std::string& key) override;
  void paused(bool pause) override;

  // Location
  void requestPermission() override;

 private:
  // Calls `call` on each listener still alive, outside the lock: listeners call back into the SDK.
  template <class Listener, class Call>
  void notify(const std::vector<std::weak_ptr<Listener>>& listeners, Call call);
  // What optIn does to the subscription, with the permission as it stands.
  void askForPush();
  // Shows each message, in list order, whose trigger holds and that was never shown.
  void showTriggeredMessages();

  Trace& trace_;
  mutable std::mutex mutex_;
  State state_;
  std::vector<std::weak_ptr<OSNotificationClickListener>> clickListeners_;
  std::vector<std::weak_ptr<OSNotificationLifecycleListener>> lifecycleListeners_;
  std::vector<std::weak_ptr<OSInAppMessageClickListener>> inAppClickListeners_;
  std::vector<std::weak_ptr<OSPushSubscriptionObserver>> subscriptionObservers_;
};

}  // namespace pushwren::sim
