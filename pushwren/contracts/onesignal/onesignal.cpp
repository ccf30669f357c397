#include "pushwren/contracts/onesignal/onesignal.h"

#include "pushwren/contracts/onesignal/single_object_sdk.h"
#include "pushwren/platform/shared_instance.h"

namespace pushwren {
namespace {

// The SDK before one is installed: every call completes, nothing is kept, nothing is reported.
class AbsentOneSignal final : public SingleObjectOneSignal {
 public:
  void setConsentRequired(bool) override {}
  void initialize(const std::optional<std::string>&, const std::optional<boost::json::object>&) override {}
  void setConsentGiven(bool) override {}
  void login(const std::string&) override {}
  void logout() override {}
  std::optional<std::string> onesignalId() const override { return std::nullopt; }
  std::optional<std::string> externalId() const override { return std::nullopt; }
  std::optional<boost::json::object> getTags() const override { return boost::json::object{}; }
  void addTags(const boost::json::object&) override {}
  void removeTags(const boost::json::array&) override {}
  void addTagWithKey(const std::string&, const std::string&) override {}
  void removeTag(const std::string&) override {}

  std::optional<std::string> id() const override { return std::nullopt; }
  std::optional<std::string> token() const override { return std::nullopt; }
  bool optedIn() const override { return false; }
  void optIn() override {}
  void addObserver(std::weak_ptr<OSPushSubscriptionObserver>) override {}

  void addClickListener(std::weak_ptr<OSNotificationClickListener>) override {}
  void addForegroundLifecycleListener(std::weak_ptr<OSNotificationLifecycleListener>) override {}

  void addClickListener(std::weak_ptr<OSInAppMessageClickListener>) override {}
  void addTrigger(const std::string&, const boost::json::value&) override {}
  void addTriggers(const boost::json::object&) override {}
  void removeTrigger(const std::string&) override {}
  void paused(bool) override {}

  void requestPermission() override {}
};

using InstalledOneSignal = ProcessWide<OneSignal, AbsentOneSignal>;

}  // namespace

std::shared_ptr<OneSignal> OneSignal::shared() { return InstalledOneSignal::get(); }

void OneSignal::install(std::shared_ptr<OneSignal> sdk) { InstalledOneSignal::set(std::move(sdk)); }

}  // namespace pushwren
