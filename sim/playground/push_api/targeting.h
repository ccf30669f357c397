#pragma once

#include <optional>
#include <string>
#include <vector>

#include <boost/json/object.hpp>

#include "sim/playground/push_api/notification_request.h"

namespace pushwren::sim::playground {

// A device as the push service sees it when a notification goes out.
struct DeviceSnapshot {
  std::string device;  // "1", "2", ...
  // Nothing when its app's process has ended and could not be asked (`unreachable` says why).
  std::optional<std::string> unreachable;
  std::optional<std::string> appId;
  std::optional<std::string> externalId;
  boost::json::object tags;
  std::optional<std::string> subscriptionId;
  std::string permission;  // "granted", "prompt", "denied"
  bool optedIn = false;
};

// Whether a device receives a request, and when it does not, why in plain words.
struct Reach {
  std::string device;
  bool receives = false;
  std::string why;
};

// Who receives a notification of app `appId` with `targeting`, device by device: every device
// whose state matches, whose app is that app, whose permission is granted and whose push
// subscription is opted in. The first reason that holds is the one given.
std::vector<Reach> reachOf(const Targeting& targeting, const std::string& appId,
                           const std::vector<DeviceSnapshot>& devices);

}  // namespace pushwren::sim::playground
