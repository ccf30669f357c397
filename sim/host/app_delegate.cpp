#include "sim/host/app_delegate.h"

namespace pushwren::sim {
namespace {

class TracedUserIdSetter : public CVOneSignalUserIdSetter {
 public:
  explicit TracedUserIdSetter(Trace& trace) : trace_(trace) {}
  void setOneSignalUserId(const std::optional<std::string>& userId, const std::optional<std::string>& pushToken,
                          bool subscribed) override {
    trace_.add("registration.setOneSignalUserId", orNull(userId), orNull(pushToken), subscribed);
  }

 private:
  Trace& trace_;
};

class TracedConsentSetter : public CVOneSignalPrivacyConsentSetter {
 public:
  explicit TracedConsentSetter(Trace& trace) : trace_(trace) {}
  void setOneSignalRequiresPrivacyConsent(bool required) override {
    trace_.add("registration.setOneSignalRequiresPrivacyConsent", required);
  }

 private:
  Trace& trace_;
};

// Which setters an object answers is a matter of its class, so each combination is one.
struct RegistrationWithNeither : CVRegistration {};
struct RegistrationWithUserId : CVRegistration, TracedUserIdSetter {
  using TracedUserIdSetter::TracedUserIdSetter;
};
struct RegistrationWithConsent : CVRegistration, TracedConsentSetter {
  using TracedConsentSetter::TracedConsentSetter;
};
struct RegistrationWithBoth : CVRegistration, TracedUserIdSetter, TracedConsentSetter {
  explicit RegistrationWithBoth(Trace& trace) : TracedUserIdSetter(trace), TracedConsentSetter(trace) {}
};

class RegistrationDelegate : public UIApplicationDelegate, public CVRegistrationProvider {
 public:
  explicit RegistrationDelegate(std::shared_ptr<CVRegistration> registration) : registration_(std::move(registration)) {}
  std::shared_ptr<CVRegistration> registration() override { return registration_; }

 private:
  std::shared_ptr<CVRegistration> registration_;
};

std::shared_ptr<CVRegistration> makeRegistration(const AppDelegateShape& shape, Trace& trace) {
  if (!shape.hasRegistrationObject) return nullptr;
  if (shape.setsUserId && shape.setsPrivacyConsent) return std::make_shared<RegistrationWithBoth>(trace);
  if (shape.setsUserId) return std::make_shared<RegistrationWithUserId>(trace);
  if (shape.setsPrivacyConsent) return std::make_shared<RegistrationWithConsent>(trace);
  return std::make_shared<RegistrationWithNeither>();
}

}  // namespace

std::shared_ptr<UIApplicationDelegate> makeAppDelegate(const AppDelegateShape& shape, Trace& trace) {
  if (!shape.answersRegistration) return std::make_shared<UIApplicationDelegate>();
  return std::make_shared<RegistrationDelegate>(makeRegistration(shape, trace));
}

}  // namespace pushwren::sim
