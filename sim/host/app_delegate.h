#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "pushwren/contracts/host/app_delegate.h"
#include "sim/trace.h"

namespace pushwren::sim {

// The shape of the app delegate: whether it answers `registration`, whether that gives an
// object, and which of the two setters the object answers.
struct AppDelegateShape {
  bool answersRegistration = true;
  bool hasRegistrationObject = true;
  bool setsUserId = true;
  bool setsPrivacyConsent = true;
};

// An app delegate of that shape whose registration object traces what it is given.
std::shared_ptr<UIApplicationDelegate> makeAppDelegate(const AppDelegateShape& shape, Trace& trace);

}  // namespace pushwren::sim
