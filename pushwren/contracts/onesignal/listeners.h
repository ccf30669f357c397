#pragma once

#include "pushwren/contracts/onesignal/events.h"
#include "pushwren/export.h"

namespace pushwren {

class PUSHWREN_EXPORT OSNotificationClickListener {
 public:
  virtual ~OSNotificationClickListener() = default;
  virtual void onClickNotification(const OSNotificationClickEvent& event) = 0;
};

class PUSHWREN_EXPORT OSInAppMessageClickListener {
 public:
  virtual ~OSInAppMessageClickListener() = default;
  virtual void onClickInAppMessage(const OSInAppMessageClickEvent& event) = 0;
};

class PUSHWREN_EXPORT OSNotificationLifecycleListener {
 public:
  virtual ~OSNotificationLifecycleListener() = default;
  virtual void onWillDisplayNotification(OSNotificationWillDisplayEvent& event) = 0;
};

class PUSHWREN_EXPORT OSPushSubscriptionObserver {
 public:
  virtual ~OSPushSubscriptionObserver() = default;
  virtual void onPushSubscriptionDidChangeWithState(const OSPushSubscriptionChangedState& state) = 0;
};

}  // namespace pushwren
