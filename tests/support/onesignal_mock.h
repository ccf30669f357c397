#pragma once

#include <gmock/gmock.h>

#include <memory>

#include "pushwren/contracts/onesignal/single_object_sdk.h"

namespace pushwren::testing {

// The whole push SDK as one mock: every object the SDK hands out is this object, so one
// InSequence covers calls across User, pushSubscription, Notifications and InAppMessages.
// Install it with `OneSignal::install(mock)`; ScopedOneSignalMock does that for a test's span.
class OneSignalMock : public SingleObjectOneSignal {
 public:
  MOCK_METHOD(void, setConsentRequired, (bool), (override));
  MOCK_METHOD(void, initialize, (const std::optional<std::string>&, const std::optional<boost::json::object>&),
              (override));
  MOCK_METHOD(void, setConsentGiven, (bool), (override));
  MOCK_METHOD(void, login, (const std::string&), (override));
  MOCK_METHOD(void, logout, (), (override));
  MOCK_METHOD(std::optional<std::string>, onesignalId, (), (const, override));
  MOCK_METHOD(std::optional<std::string>, externalId, (), (const, override));
  MOCK_METHOD(std::optional<boost::json::object>, getTags, (), (const, override));
  MOCK_METHOD(void, addTags, (const boost::json::object&), (override));
  MOCK_METHOD(void, removeTags, (const boost::json::array&), (override));
  MOCK_METHOD(void, addTagWithKey, (const std::string&, const std::string&), (override));
  MOCK_METHOD(void, removeTag, (const std::string&), (override));

  MOCK_METHOD(std::optional<std::string>, id, (), (const, override));
  MOCK_METHOD(std::optional<std::string>, token, (), (const, override));
  MOCK_METHOD(bool, optedIn, (), (const, override));
  MOCK_METHOD(void, optIn, (), (override));
  MOCK_METHOD(void, addObserver, (std::weak_ptr<OSPushSubscriptionObserver>), (override));

  MOCK_METHOD(void, addClickListener, (std::weak_ptr<OSNotificationClickListener>), (override));
  MOCK_METHOD(void, addForegroundLifecycleListener, (std::weak_ptr<OSNotificationLifecycleListener>), (override));

  MOCK_METHOD(void, addClickListener, (std::weak_ptr<OSInAppMessageClickListener>), (override));
  MOCK_METHOD(void, addTrigger, (const std::string&, const boost::json::value&), (override));
  MOCK_METHOD(void, addTriggers, (const boost::json::object&), (override));
  MOCK_METHOD(void, removeTrigger, (const std::string&), (override));
  MOCK_METHOD(void, paused, (bool), (override));

  MOCK_METHOD(void, requestPermission, (), (override));
};

// A nice mock installed as the process's SDK for the life of the object.
class ScopedOneSignalMock {
 public:
  ScopedOneSignalMock() : mock_(std::make_shared<::testing::NiceMock<OneSignalMock>>()) { OneSignal::install(mock_); }
  ~ScopedOneSignalMock() { OneSignal::install(nullptr); }
  ScopedOneSignalMock(const ScopedOneSignalMock&) = delete;
  ScopedOneSignalMock& operator=(const ScopedOneSignalMock&) = delete;

  ::testing::NiceMock<OneSignalMock>& operator*() { return *mock_; }
  ::testing::NiceMock<OneSignalMock>* operator->() { return mock_.get(); }

 private:
  std::shared_ptr<::testing::NiceMock<OneSignalMock>> mock_;
};

}  // namespace pushwren::testing
