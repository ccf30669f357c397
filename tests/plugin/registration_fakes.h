#pragma once

#include <gmock/gmock.h>

#include <memory>

#include "pushwren/contracts/host/app_delegate.h"

namespace pushwren::testing {

// Registration objects that answer both setters, one of them, or neither.
class RegistrationWithBoth : public CVRegistration, public CVOneSignalUserIdSetter, public CVOneSignalPrivacyConsentSetter {
 public:
  MOCK_METHOD(void, setOneSignalUserId, (const std::optional<std::string>&, const std::optional<std::string>&, bool),
              (override));
  MOCK_METHOD(void, setOneSignalRequiresPrivacyConsent, (bool), (override));
};

class RegistrationWithUserId : public CVRegistration, public CVOneSignalUserIdSetter {
 public:
  MOCK_METHOD(void, setOneSignalUserId, (const std::optional<std::string>&, const std::optional<std::string>&, bool),
              (override));
};

class RegistrationWithConsent : public CVRegistration, public CVOneSignalPrivacyConsentSetter {
 public:
  MOCK_METHOD(void, setOneSignalRequiresPrivacyConsent, (bool), (override));
};

// An app delegate that answers `registration` with the object it was given (possibly none).
class DelegateWithRegistration : public UIApplicationDelegate, public CVRegistrationProvider {
 public:
  explicit DelegateWithRegistration(std::shared_ptr<CVRegistration> registration)
      : registration_(std::move(registration)) {}
  std::shared_ptr<CVRegistration> registration() override { return registration_; }

 private:
  std::shared_ptr<CVRegistration> registration_;
};

}  // namespace pushwren::testing
