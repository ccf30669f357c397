#include "sim/playground/devices/push_hooks.h"

#include <algorithm>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>
#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid_io.hpp>

namespace pushwren::sim::playground {

std::string pushTargetState(ReferenceHost& host) {
  const auto sdk = host.sdk().state();
  const auto text = [](const std::optional<std::string>& value) {
    return value ? boost::json::value(*value) : boost::json::value(nullptr);
  };
  return boost::json::serialize(boost::json::object{
      {"appId", text(host.config().oneSignalV5AppId())},
      {"initialized", sdk.initialized},
      {"externalId", text(sdk.externalId)},
      {"tags", sdk.tags},
      {"subscriptionId", text(sdk.subscription.id)},
      {"permission", permissionName(sdk.permission)},
      {"optedIn", sdk.subscription.optedIn},
  });
}

std::string applyNotificationBadge(ReferenceHost& host, std::string_view body) {
  boost::system::error_code ec;
  const auto parsed = boost::json::parse(body, ec);
  const auto* fields = !ec ? parsed.if_object() : nullptr;
  const auto* type = fields ? fields->if_contains("type") : nullptr;
  const auto* count = fields ? fields->if_contains("count") : nullptr;
  if (!type || !type->is_string() || !count || !count->is_int64()) return R"(a badge is {"type", "count"})";
  auto& application = host.application();
  auto badge = count->get_int64();
  if (type->get_string() == "Increase") {
    badge += application.applicationIconBadgeNumber();
  } else if (type->get_string() != "SetTo") {
    return "a badge's type is SetTo or Increase";
  }
  application.UIApplication::setApplicationIconBadgeNumber(static_cast<long>(std::max<std::int64_t>(badge, 0)));
  return {};
}

boost::json::object ownSubscriptionStep() {
  const auto id = boost::uuids::to_string(boost::uuids::random_generator()());
  return {{"do", "sdk"}, {"set", {{"pushSubscription", {{"id", id}}}}}};
}

}  // namespace pushwren::sim::playground
