#pragma once

#include <string>
#include <string_view>

#include <boost/json/object.hpp>

#include "sim/host/reference_host.h"

namespace pushwren::sim::playground {

// What the playground's push API (push_api/) asks of a device's process, beside its steps.

// The state the push service targets a device by, as JSON: {"appId", "initialized",
// "externalId", "tags", "subscriptionId", "permission", "optedIn"}.
std::string pushTargetState(ReferenceHost& host);

// The home screen's badge as a notification's ios_badgeType sets it: {"type": "SetTo" |
// "Increase", "count": n}. The system sets it, not the app, so no trace line is made. Returns
// why the body is not one.
std::string applyNotificationBadge(ReferenceHost& host, std::string_view body);

// The `sdk` step that gives a device its own push subscription id at its start, so the push
// service can target it by subscription. Nothing else of the subscription changes.
boost::json::object ownSubscriptionStep();

}  // namespace pushwren::sim::playground
