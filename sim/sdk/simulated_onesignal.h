#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/object.hpp>

#include "contracts/onesignal/onesignal.h"
#include "sim/trace.h"

namespace pushwren::sim {

// The push SDK of the reference host. It keeps its state and changes it as the calls say, traces
// every call made into it (reads are not traced), and never calls a listener by itself: only
// the fire* operations send events, to the listeners registered at that moment.
class SimulatedOneSignal final : public OneSignal,
                                 OSUser,
                                 OSPushSubscription,
                                 OSNotifications,
                                 OSInAppMessages,
                                 OSLocation {
 public:
  struct State {
    std::optional<std::string> onesignalId;
    std::optional<std::string> externalId;
    OSPushSubscriptionState subscription;
    boost::json::object tags;
    boost::json::object triggers;
    bool consentRequired = false;
    bool consentGiven = false;
    bool paused = false;
    bool locationRequested = false;
    bool initialized = false;
  };

  explicit SimulatedOneSignal(Trace& trace) : trace_(trace) {}

  State state() const;
  // Sets state directly, without tracing and without events.
  void setOnesignalId(std::optional<std::string> id);
  void setExternalId(std::optional<std::string> id);
  void setSubscription(OSPushSubscriptionState subscription);
  void setTags(boost::json::object tags);

  // Events, each to every listener registered for it.
  void fireNotificationClick(std::optional<boost::json::object> additionalData);
  void fireNotificationWillDisplay();
  void fireInAppMessageClick(OSInAppMessageClickResult result);
  void fireSubscriptionChanged(OSPushSubscriptionState current);

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
  template <class Listener>
  static std::vector<std::shared_ptr<Listener>> live(const std::vector<std::weak_ptr<Listener>>& listeners);

  Trace& trace_;
  mutable std::mutex mutex_;
  State state_;
  mutable std::optional<boost::json::object> sortedTags_;  // state_.tags by key, until they change
  std::vector<std::weak_ptr<OSNotificationClickListener>> clickListeners_;
  std::vector<std::weak_ptr<OSNotificationLifecycleListener>> lifecycleListeners_;
  std::vector<std::weak_ptr<OSInAppMessageClickListener>> inAppClickListeners_;
  std::vector<std::weak_ptr<OSPushSubscriptionObserver>> subscriptionObservers_;
};

}  // namespace pushwren::sim
