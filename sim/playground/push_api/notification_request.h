#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include <boost/json/object.hpp>

namespace pushwren::sim::playground {

// One condition on a device's tags: {"field": "tag", "key": "level", "relation": ">", "value": "5"}.
// The relations are =, !=, >, <, exists and not_exists; the last two have no value.
struct TagFilter {
  std::string key;
  std::string relation;
  std::string value;
};

// Who a create-notification request is for: exactly one of these modes.
struct Targeting {
  enum class Mode { externalIds, subscriptionIds, segments, filters };
  Mode mode = Mode::segments;
  std::vector<std::string> ids;  // external ids or subscription ids
  std::vector<std::string> includedSegments;
  std::vector<std::string> excludedSegments;
  // Groups of conditions that must all hold; a device matches when any group does ({"operator":
  // "OR"} between groups in the request).
  std::vector<std::vector<TagFilter>> filterGroups;
};

// A create-notification request as the playground honours it.
struct NotificationRequest {
  boost::json::object contents;  // language -> text, as sent
  boost::json::object headings;
  std::optional<std::string> body;   // "en", else the first language
  std::optional<std::string> title;
  std::optional<boost::json::object> data;
  std::optional<std::string> url;
  std::string badgeType = "None";  // None, SetTo, Increase
  std::int64_t badgeCount = 0;
  std::optional<std::int64_t> sendAfter;  // Unix seconds
  Targeting targeting;
  std::vector<std::string> ignoredFields;  // accepted, named in the panel, not acted on
};

// Why a request is refused, in the provider's shape: {"errors": [...]} with HTTP 400.
struct RequestErrors {
  std::vector<std::string> errors;
};

// Reads the body of POST {base}/notifications for the app `appId`. Nothing in a refused request
// is acted on.
std::variant<NotificationRequest, RequestErrors> readNotificationRequest(std::string_view body, std::string_view appId);

// A time as the request's send_after gives it: "2026-12-11T09:30:00Z", "2026-12-11 09:30:00 GMT+0100",
// an offset such as "+01:00", or no zone (UTC). Unix seconds, or nothing when it is not one.
std::optional<std::int64_t> readSendAfter(std::string_view text);

// The targeting as a person reads it: `external id "alice"`, `segments "Subscribed Users"`, ...
std::string describeTargeting(const Targeting& targeting);

}  // namespace pushwren::sim::playground
