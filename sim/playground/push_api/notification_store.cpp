#include "sim/playground/push_api/notification_store.h"

#include <ctime>

#include <boost/json/array.hpp>

namespace pushwren::sim::playground {
namespace json = boost::json;
namespace {

json::value optionalText(const std::optional<std::string>& text) {
  return text ? json::value(*text) : json::value(nullptr);
}

json::array strings(const std::vector<std::string>& items) {
  json::array array;
  for (const auto& item : items) array.emplace_back(item);
  return array;
}

std::size_t recipients(const ApiRequest& request) {
  std::size_t count = 0;
  for (const auto& each : request.reach) count += each.receives ? 1 : 0;
  return count;
}

}  // namespace

std::string isoTime(std::int64_t unixSeconds) {
  const auto time = static_cast<std::time_t>(unixSeconds);
  std::tm parts{};
  gmtime_r(&time, &parts);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

ApiRequest& NotificationStore::add(ApiRequest request) {
  request.number = ++lastNumber_;
  requests_.push_back(std::move(request));
  if (requests_.size() > kKept) requests_.pop_front();
  return requests_.back();
}

ApiRequest* NotificationStore::find(std::string_view id) {
  if (id.empty()) return nullptr;
  for (auto& request : requests_) {
    if (request.id == id) return &request;
  }
  return nullptr;
}

ApiRequest* NotificationStore::byNumber(std::uint64_t number) {
  for (auto& request : requests_) {
    if (request.number == number) return &request;
  }
  return nullptr;
}

std::size_t deliveriesOnTheirWay(const ApiRequest& request) {
  std::size_t pending = 0;
  for (const auto& each : request.reach) {
    if (each.receives && request.delivered.at(each.device) == kOnItsWay) ++pending;
  }
  return pending;
}

json::object providerView(const ApiRequest& request, const std::string& appId) {
  const auto& asked = *request.request;
  const auto queuedAt = request.receivedAt / 1000;
  const auto pending = deliveriesOnTheirWay(request);
  return {
      {"id", request.id},
      {"app_id", appId},
      {"contents", asked.contents},
      {"headings", asked.headings},
      {"data", asked.data ? json::value(*asked.data) : json::value(nullptr)},
      {"url", optionalText(asked.url)},
      {"successful", recipients(request) - pending},
      {"failed", 0},
      {"errored", 0},
      {"converted", request.tappedOn.size()},
      {"remaining", pending},
      {"queued_at", queuedAt},
      {"send_after", asked.sendAfter.value_or(queuedAt)},
      {"completed_at", request.completedAt ? json::value(*request.completedAt) : json::value(nullptr)},
      {"canceled", false},
  };
}

json::object providerList(const NotificationStore& store, const std::string& appId, std::size_t limit,
                          std::size_t offset) {
  json::array notifications;
  std::size_t total = 0;
  // Newest first. NOLINTNEXTLINE(modernize-loop-convert): clang 14 cannot read libstdc++ 12's views
  for (auto each = store.all().rbegin(); each != store.all().rend(); ++each) {
    if (each->id.empty()) continue;
    if (total >= offset && notifications.size() < limit) notifications.push_back(providerView(*each, appId));
    ++total;
  }
  return {{"total_count", total}, {"offset", offset}, {"limit", limit}, {"notifications", std::move(notifications)}};
}

json::object panelView(const ApiRequest& request) {
  std::string outcome;
  json::array reached;
  json::array notReached;
  for (const auto& each : request.reach) {
    if (each.receives) {
      reached.push_back({{"device", each.device}, {"how", request.delivered.at(each.device)}});
    } else {
      notReached.push_back({{"device", each.device}, {"why", each.why}});
    }
  }
  if (!request.errors.empty()) {
    outcome = "refused (HTTP 400): nothing was sent";
  } else if (request.scheduled) {
    outcome = "scheduled for " + isoTime(*request.request->sendAfter);
  } else if (reached.empty()) {
    outcome = "reached nobody: \"All included players are not subscribed\"";
  } else {
    outcome = "sent to " + std::to_string(reached.size()) + " of " + std::to_string(request.reach.size()) +
              (request.reach.size() == 1 ? " device" : " devices");
  }
  const auto& asked = request.request;
  return {
      {"number", request.number},
      {"time", isoTime(request.receivedAt / 1000)},
      {"id", request.id},
      {"targeting", asked ? json::value(describeTargeting(asked->targeting)) : json::value(nullptr)},
      {"title", asked ? optionalText(asked->title) : json::value(nullptr)},
      {"body", asked ? optionalText(asked->body) : json::value(nullptr)},
      {"url", asked ? optionalText(asked->url) : json::value(nullptr)},
      {"outcome", outcome},
      {"ignored", asked ? strings(asked->ignoredFields) : json::array()},
      {"errors", strings(request.errors)},
      {"recipients", std::move(reached)},
      {"notReached", std::move(notReached)},
      {"taps", request.tappedOn.size()},
  };
}

}  // namespace pushwren::sim::playground
