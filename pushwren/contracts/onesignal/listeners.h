#pragma once

#include "pushwren/contracts/onesignal/events.h"

namespace pushwren {

class OSNotificationClickListener {
 public:
  virtual ~OSNotificationClickListener() = default;
  virtual void onClickNotification(const OSNotificationClickEvent& event) = 0;
};

class OSInAppMessageClickListener {
 public:
  virtual ~OSInAppMessageClickListener() = default;
  virtual void onClickInAppMessage(const OSInAppMessageClickEvent& event) = 0;
};

class OSNotificationLifecycleListener {
 public:
  virtual ~OSNotificationLifecycleListener() = default;
  virtual void onWillDisplayNotification(OSNotificationWillDisplayEvent& event) = 0;
};

class OSPushSubscriptionObserver {
 public:
  virtual ~OSPushSubscriptionObserver() = default;
  virtual void onPushSubscriptionDidChangeWithState(const OSPushSubscriptionChangedState& state) = 0;
};

}  // namespace pushwren
