#pragma once

#include <memory>

#include "pushwren/contracts/host/app_config.h"
#include "pushwren/platform/application.h"
#include "pushwren/platform/notification_center.h"

namespace pushwren::testing {

// Gives each test a fresh host configuration, application and notification centre, and puts
// the defaults back afterwards, so no test sees another's settings.
class FreshHost {
 public:
  FreshHost()
      : config(std::make_shared<CorvaneAppConfig>()),
        application(std::make_shared<UIApplication>()),
        notificationCenter(std::make_shared<NSNotificationCenter>()) {
    CorvaneAppConfig::setSharedAppConfig(config);
    UIApplication::setSharedApplication(application);
    NSNotificationCenter::setDefaultCenter(notificationCenter);
  }
  ~FreshHost() {
    CorvaneAppConfig::setSharedAppConfig(std::make_shared<CorvaneAppConfig>());
    UIApplication::setSharedApplication(std::make_shared<UIApplication>());
    NSNotificationCenter::setDefaultCenter(std::make_shared<NSNotificationCenter>());
  }
  FreshHost(const FreshHost&) = delete;
  FreshHost& operator=(const FreshHost&) = delete;

  std::shared_ptr<CorvaneAppConfig> config;
  std::shared_ptr<UIApplication> application;
  std::shared_ptr<NSNotificationCenter> notificationCenter;
};

}  // namespace pushwren::testing
