#pragma once

#include <memory>
#include <optional>
#include <string>

#include <boost/json/array.hpp>
#include <boost/json/object.hpp>
#include <boost/json/value.hpp>

#include "pushwren/contracts/onesignal/listeners.h"
#include "pushwren/export.h"

namespace pushwren {

// The push SDK as the plugin uses it. Listeners and observers are held weakly by the SDK: they
// are not owned, and one that has ended is no longer called.

class PUSHWREN_EXPORT OSPushSubscription {
 public:
  virtual ~OSPushSubscription() = default;
  virtual std::optional<std::string> id() const = 0;
  virtual std::optional<std::string> token() const = 0;
  virtual bool optedIn() const = 0;
  virtual void optIn() = 0;
  virtual void addObserver(std::weak_ptr<OSPushSubscriptionObserver> observer) = 0;
};

class PUSHWREN_EXPORT OSUser {
 public:
  virtual ~OSUser() = default;
  virtual OSPushSubscription& pushSubscription() = 0;
  virtual std::optional<std::string> onesignalId() const = 0;
  virtual std::optional<std::string> externalId() const = 0;
  // The user's data tags, key to value; none if the SDK has no map to give. Safe from any thread.
  virtual std::optional<boost::json::object> getTags() const = 0;
  virtual void addTags(const boost::json::object& tags) = 0;
  virtual void removeTags(const boost::json::array& keys) = 0;
  virtual void addTagWithKey(const std::string& key, const std::string& value) = 0;
  virtual void removeTag(const std::string& key) = 0;
};

class PUSHWREN_EXPORT OSNotifications {
 public:
  virtual ~OSNotifications() = default;
  virtual void addClickListener(std::weak_ptr<OSNotificationClickListener> listener) = 0;
  virtual void addForegroundLifecycleListener(std::weak_ptr<OSNotificationLifecycleListener> listener) = 0;
};

class PUSHWREN_EXPORT OSInAppMessages {
 public:
  virtual ~OSInAppMessages() = default;
  virtual void addClickListener(std::weak_ptr<OSInAppMessageClickListener> listener) = 0;
  virtual void addTrigger(const std::string& key, const boost::json::value& value) = 0;
  virtual void addTriggers(const boost::json::object& triggers) = 0;
  virtual void removeTrigger(const std::string& key) = 0;
  virtual void paused(bool pause) = 0;
};

class PUSHWREN_EXPORT OSLocation {
 public:
  virtual ~OSLocation() = default;
  virtual void requestPermission() = 0;
};

// The SDK's entry. The app links one SDK and installs it; until then shared() is a stand-in that
// completes every call and holds nothing. A reader keeps the SDK it got alive while it uses it.
class PUSHWREN_EXPORT OneSignal {
 public:
  virtual ~OneSignal() = default;

  static std::shared_ptr<OneSignal> shared();
  static void install(std::shared_ptr<OneSignal> sdk);

  virtual void setConsentRequired(bool required) = 0;
  virtual void initialize(const std::optional<std::string>& appId,
                          const std::optional<boost::json::object>& launchOptions) = 0;
  virtual void setConsentGiven(bool given) = 0;
  virtual void login(const std::string& externalId) = 0;
  virtual void logout() = 0;

  virtual OSUser& User() = 0;
  virtual OSNotifications& Notifications() = 0;
  virtual OSInAppMessages& InAppMessages() = 0;
  virtual OSLocation& Location() = 0;
};

}  // namespace pushwren
