#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <boost/json/object.hpp>

#include "sim/playground/push_api/notification_request.h"
#include "sim/playground/push_api/targeting.h"

namespace pushwren::sim::playground {

// One request to the push API, from its arrival on: what was asked, who it reached and what
// each device did with it, and how often it was tapped.
struct ApiRequest {
  std::uint64_t number = 0;
  std::int64_t receivedAt = 0;  // Unix milliseconds
  std::string id;               // the notification's id; empty when it was refused or reached nobody
  std::vector<std::string> errors;
  std::optional<NotificationRequest> request;
  bool scheduled = false;                   // waiting for its send_after
  std::optional<std::int64_t> completedAt;  // Unix seconds
  std::vector<Reach> reach;                 // once it went out
  std::map<std::string, std::string> delivered;  // device -> what became of it there
  std::set<std::string> tappedOn;                // the devices where it was tapped
};

// The requests of this playground's life, for reading back and for the panel. The oldest go
// once there are more than kKept.
class NotificationStore {
 public:
  static constexpr std::size_t kKept = 1000;

  ApiRequest& add(ApiRequest request);
  ApiRequest* find(std::string_view id);
  ApiRequest* byNumber(std::uint64_t number);
  const std::deque<ApiRequest>& all() const { return requests_; }

 private:
  std::deque<ApiRequest> requests_;
  std::uint64_t lastNumber_ = 0;
};

// What a device has of a request it has not answered for yet.
inline constexpr std::string_view kOnItsWay = "on its way";
// How many devices the request went to have not answered for it yet.
std::size_t deliveriesOnTheirWay(const ApiRequest& request);

// GET {base}/notifications/{id}: the provider's view of one notification.
boost::json::object providerView(const ApiRequest& request, const std::string& appId);
// GET {base}/notifications: the notifications, newest first, `limit` from `offset`.
boost::json::object providerList(const NotificationStore& store, const std::string& appId, std::size_t limit,
                                 std::size_t offset);
// What the panel shows of a request: {"number", "time", "id", "targeting", "outcome", "ignored",
// "errors", "recipients": [{"device", "how"}], "notReached": [{"device", "why"}], "taps"}.
boost::json::object panelView(const ApiRequest& request);

// "2026-12-11T09:30:00Z".
std::string isoTime(std::int64_t unixSeconds);

}  // namespace pushwren::sim::playground
