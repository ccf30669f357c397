#pragma once

#include <memory>
#include <optional>
#include <string>

#include "pushwren/export.h"
#include "pushwren/platform/application.h"

namespace pushwren {

// The host's registration object, handed out by the app delegate. Each of its two setters is
// optional: ask with dynamic_cast before each call.
class PUSHWREN_EXPORT CVRegistration {
 public:
  virtual ~CVRegistration() = default;
};

class PUSHWREN_EXPORT CVOneSignalUserIdSetter {
 public:
  virtual ~CVOneSignalUserIdSetter() = default;
  virtual void setOneSignalUserId(const std::optional<std::string>& userId,
                                  const std::optional<std::string>& pushToken, bool subscribed) = 0;
};

class PUSHWREN_EXPORT CVOneSignalPrivacyConsentSetter {
 public:
  virtual ~CVOneSignalPrivacyConsentSetter() = default;
  virtual void setOneSignalRequiresPrivacyConsent(bool required) = 0;
};

// Optional operation of the app delegate: its registration object, possibly none.
class PUSHWREN_EXPORT CVRegistrationProvider {
 public:
  virtual ~CVRegistrationProvider() = default;
  virtual std::shared_ptr<CVRegistration> registration() = 0;
};

}  // namespace pushwren
