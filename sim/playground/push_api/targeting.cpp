#include "sim/playground/push_api/targeting.h"

#include <algorithm>
#include <charconv>

#include <boost/json/serialize.hpp>

namespace pushwren::sim::playground {
namespace json = boost::json;
namespace {

// The segments every device with an opted-in subscription belongs to.
bool isEveryoneSegment(std::string_view name) {
  return name == "Subscribed Users" || name == "Total Subscriptions" || name == "All";
}

std::string quoted(std::string_view text) { return json::serialize(json::value(text)); }

std::string quotedOr(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) text += i + 1 == items.size() ? " or " : ", ";
    text += quoted(items[i]);
  }
  return text;
}

std::optional<double> numberIn(std::string_view text) {
  double number = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return number;
}

// Why a condition does not hold for a device, or nothing when it does.
std::optional<std::string> failedCondition(const TagFilter& filter, const json::object& tags) {
  const auto* tag = tags.if_contains(filter.key);
  std::optional<std::string> value;
  if (tag) value = tag->is_string() ? std::string(tag->get_string()) : json::serialize(*tag);
  const auto wants = "the filter wants " + filter.relation + (filter.relation == "exists" || filter.relation == "not_exists"
                                                                  ? std::string()
                                                                  : " " + filter.value);
  const auto has = value ? "tag " + quoted(filter.key) + " is " + quoted(*value) : "no tag " + quoted(filter.key);
  bool holds = false;
  if (filter.relation == "exists") {
    holds = value.has_value();
    if (!holds) return "no tag " + quoted(filter.key) + ", the filter wants it to exist";
  } else if (filter.relation == "not_exists") {
    holds = !value;
    if (!holds) return has + ", the filter wants no such tag";
  } else if (filter.relation == "=") {
    holds = value == filter.value;
  } else if (filter.relation == "!=") {
    holds = value != filter.value;
  } else if (value) {
    const auto mine = numberIn(*value);
    const auto theirs = numberIn(filter.value);
    if (!mine || !theirs) return has + ", not a number; " + wants;
    holds = filter.relation == ">" ? *mine > *theirs : *mine < *theirs;
  }
  if (holds) return std::nullopt;
  return has + ", " + wants;
}

// Why the device is not among those the targeting names, or nothing when it is.
std::optional<std::string> notTargeted(const Targeting& targeting, const DeviceSnapshot& device) {
  switch (targeting.mode) {
    case Targeting::Mode::externalIds: {
      if (device.externalId && std::find(targeting.ids.begin(), targeting.ids.end(), *device.externalId) !=
                                   targeting.ids.end()) {
        return std::nullopt;
      }
      return "no external id " + quotedOr(targeting.ids) + ": " +
             (device.externalId ? "it has " + quoted(*device.externalId) : std::string("its page has not logged in"));
    }
    case Targeting::Mode::subscriptionIds: {
      if (device.subscriptionId && std::find(targeting.ids.begin(), targeting.ids.end(), *device.subscriptionId) !=
                                       targeting.ids.end()) {
        return std::nullopt;
      }
      return "not subscription " + quotedOr(targeting.ids) + ": " +
             (device.subscriptionId ? "its subscription is " + quoted(*device.subscriptionId)
                                    : std::string("it has no subscription id"));
    }
    case Targeting::Mode::segments: {
      bool included = false;
      std::vector<std::string> unknown;
      for (const auto& segment : targeting.includedSegments) {
        if (isEveryoneSegment(segment)) {
          included = true;
        } else {
          unknown.push_back(segment);
        }
      }
      if (!included) {
        return "segment " + quotedOr(unknown) +
               " is not known here: the playground's segments are \"Subscribed Users\", \"Total Subscriptions\" and "
               "\"All\"";
      }
      for (const auto& segment : targeting.excludedSegments) {
        if (isEveryoneSegment(segment)) return "excluded by segment " + quoted(segment);
      }
      return std::nullopt;
    }
    case Targeting::Mode::filters: {
      std::string why;
      for (const auto& group : targeting.filterGroups) {
        std::optional<std::string> failed;
        for (const auto& condition : group) {
          if ((failed = failedCondition(condition, device.tags))) break;
        }
        if (!failed) return std::nullopt;
        why += (why.empty() ? "" : "; nor: ") + *failed;
      }
      return why;
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<Reach> reachOf(const Targeting& targeting, const std::string& appId,
                           const std::vector<DeviceSnapshot>& devices) {
  std::vector<Reach> reach;
  for (const auto& device : devices) {
    Reach each{device.device, false, {}};
    if (device.unreachable) {
      each.why = *device.unreachable;
    } else if (device.appId != appId) {
      each.why = "app id differs: it runs " + (device.appId ? quoted(*device.appId) : std::string("no app id")) +
                 ", the request is for " + quoted(appId);
    } else if (auto why = notTargeted(targeting, device)) {
      each.why = std::move(*why);
    } else if (device.permission != "granted") {
      each.why = "permission not granted (it is " + quoted(device.permission) + ")";
    } else if (!device.optedIn) {
      each.why = "not opted in: its push subscription is off";
    } else {
      each.receives = true;
    }
    reach.push_back(std::move(each));
  }
  return reach;
}

}  // namespace pushwren::sim::playground
