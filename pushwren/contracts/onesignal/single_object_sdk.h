#pragma once

#include "pushwren/contracts/onesignal/onesignal.h"

namespace pushwren {

// An SDK that is one object: each part the SDK hands out (User, its push subscription,
// Notifications, InAppMessages, Location) is the object itself. The stand-in before an SDK is
// installed, the test mock and the simulated SDK all take this shape.
class SingleObjectOneSignal : public OneSignal,
                              public OSUser,
                              public OSPushSubscription,
                              public OSNotifications,
                              public OSInAppMessages,
                              public OSLocation {
 public:
  OSUser& User() override { return *this; }
  OSNotifications& Notifications() override { return *this; }
  OSInAppMessages& InAppMessages() override { return *this; }
  OSLocation& Location() override { return *this; }
  OSPushSubscription& pushSubscription() override { return *this; }
};

}  // namespace pushwren
