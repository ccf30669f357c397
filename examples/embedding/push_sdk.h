#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <pushwren/contracts/onesignal/onesignal.h>

// The push SDK the app links. A real app adapts its SDK to these classes; this one is a device
// already subscribed, with one data tag, that can be tapped.
class DemoPushSdk final : public pushwren::OneSignal,
                          pushwren::OSUser,
                          pushwren::OSPushSubscription,
                          pushwren::OSNotifications,
                          pushwren::OSInAppMessages,
                          pushwren::OSLocation {
 public:
  // The user taps a notification that carries `additionalData`.
  void tap(boost::json::object additionalData) {
    if (const auto listener = clickListener_.lock()) listener->onClickNotification(Click(std::move(additionalData)));
  }

  void setConsentRequired(bool) override {}
  void initialize(const std::optional<std::string>&, const std::optional<boost::json::object>&) override {}
  void setConsentGiven(bool) override {}
  void login(const std::string&) override {}
  void logout() override {}
  OSUser& User() override { return *this; }
  OSNotifications& Notifications() override { return *this; }
  OSInAppMessages& InAppMessages() override { return *this; }
  OSLocation& Location() override { return *this; }

  OSPushSubscription& pushSubscription() override { return *this; }
  std::optional<std::string> onesignalId() const override { return "user-1"; }
  std::optional<std::string> externalId() const override { return std::nullopt; }
  std::optional<boost::json::object> getTags() const override { return boost::json::object{{"news", "1"}}; }
  void addTags(const boost::json::object&) override {}
  void removeTags(const boost::json::array&) override {}
  void addTagWithKey(const std::string&, const std::string&) override {}
  void removeTag(const std::string&) override {}

  std::optional<std::string> id() const override { return "subscription-1"; }
  std::optional<std::string> token() const override { return "token-1"; }
  bool optedIn() const override { return true; }
  void optIn() override {}
  void addObserver(std::weak_ptr<pushwren::OSPushSubscriptionObserver>) override {}

  void addClickListener(std::weak_ptr<pushwren::OSNotificationClickListener> listener) override {
    clickListener_ = std::move(listener);
  }
  void addForegroundLifecycleListener(std::weak_ptr<pushwren::OSNotificationLifecycleListener>) override {}

  void addClickListener(std::weak_ptr<pushwren::OSInAppMessageClickListener>) override {}
  void addTrigger(const std::string&, const boost::json::value&) override {}
  void addTriggers(const boost::json::object&) override {}
  void removeTrigger(const std::string&) override {}
  void paused(bool) override {}

  void requestPermission() override {}

 private:
  class Notification final : public pushwren::OSNotification {
   public:
    explicit Notification(boost::json::object data) : data_(std::move(data)) {}
    std::optional<boost::json::object> additionalData() const override { return data_; }
    void display() override {}

   private:
    boost::json::object data_;
  };
  class Click final : public pushwren::OSNotificationClickEvent {
   public:
    explicit Click(boost::json::object data) : notification_(std::make_shared<Notification>(std::move(data))) {}
    std::shared_ptr<pushwren::OSNotification> notification() const override { return notification_; }

   private:
    std::shared_ptr<Notification> notification_;
  };

  std::weak_ptr<pushwren::OSNotificationClickListener> clickListener_;
};
