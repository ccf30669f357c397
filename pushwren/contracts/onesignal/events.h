#pragma once

#include <memory>
#include <optional>
#include <string>

#include <boost/json/object.hpp>

#include "pushwren/export.h"

namespace pushwren {

// A push notification as the SDK hands it over.
class PUSHWREN_EXPORT OSNotification {
 public:
  virtual ~OSNotification() = default;
  // The custom keys and values its sender attached; absent when there are none.
  virtual std::optional<boost::json::object> additionalData() const = 0;
  // Shows it while the app is in the foreground.
  virtual void display() = 0;
};

class PUSHWREN_EXPORT OSNotificationClickEvent {
 public:
  virtual ~OSNotificationClickEvent() = default;
  virtual std::shared_ptr<OSNotification> notification() const = 0;
};

class PUSHWREN_EXPORT OSNotificationWillDisplayEvent {
 public:
  virtual ~OSNotificationWillDisplayEvent() = default;
  virtual std::shared_ptr<OSNotification> notification() const = 0;
  // Keeps the notification from being shown.
  virtual void preventDefault() = 0;
};

struct OSInAppMessageClickResult {
  std::optional<std::string> url;
  std::optional<std::string> actionId;
  bool closingMessage = false;
};

class PUSHWREN_EXPORT OSInAppMessageClickEvent {
 public:
  virtual ~OSInAppMessageClickEvent() = default;
  virtual OSInAppMessageClickResult result() const = 0;
};

struct OSPushSubscriptionState {
  std::optional<std::string> id;
  std::optional<std::string> token;
  bool optedIn = false;
};

struct OSPushSubscriptionChangedState {
  OSPushSubscriptionState previous;
  OSPushSubscriptionState current;
};

}  // namespace pushwren
