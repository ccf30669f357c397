#pragma once

#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include <pushwren/contracts/host/app_delegate.h>

// The app delegate's registration object: where the plugin reports the push subscription. Both
// setters are optional; the plugin calls only those the object has.
class Registration : public pushwren::CVRegistration,
                     public pushwren::CVOneSignalUserIdSetter,
                     public pushwren::CVOneSignalPrivacyConsentSetter {
 public:
  void setOneSignalUserId(const std::optional<std::string>& userId, const std::optional<std::string>& pushToken,
                          bool subscribed) override {
    std::cout << "registration: user " << userId.value_or("(none)") << ", token " << pushToken.value_or("(none)")
              << ", subscribed " << (subscribed ? "yes" : "no") << "\n";
  }
  void setOneSignalRequiresPrivacyConsent(bool required) override {
    std::cout << "registration: consent required " << (required ? "yes" : "no") << "\n";
  }
};

// The app delegate; `registration` is optional too.
class AppDelegate : public pushwren::UIApplicationDelegate, public pushwren::CVRegistrationProvider {
 public:
  std::shared_ptr<pushwren::CVRegistration> registration() override { return registration_; }

 private:
  std::shared_ptr<Registration> registration_ = std::make_shared<Registration>();
};
