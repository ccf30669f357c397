#include <gtest/gtest.h>

#include "sim/playground/push_api/targeting.h"

namespace pushwren::sim::playground {
namespace {

constexpr const char* kApp = "playground-app";

// A device that receives whatever names it: logged in as "alice", level 3, subscribed.
DeviceSnapshot alice() {
  DeviceSnapshot device;
  device.device = "1";
  device.appId = kApp;
  device.externalId = "alice";
  device.tags = {{"level", "3"}, {"city", "Lyon"}};
  device.subscriptionId = "sub-a";
  device.permission = "granted";
  device.optedIn = true;
  return device;
}

Targeting byIds(Targeting::Mode mode, std::vector<std::string> ids) {
  Targeting targeting;
  targeting.mode = mode;
  targeting.ids = std::move(ids);
  return targeting;
}

Targeting externalIds(std::vector<std::string> ids) { return byIds(Targeting::Mode::externalIds, std::move(ids)); }

Targeting subscriptions(std::vector<std::string> ids) {
  return byIds(Targeting::Mode::subscriptionIds, std::move(ids));
}

Targeting segments(std::vector<std::string> included, std::vector<std::string> excluded = {}) {
  Targeting targeting;
  targeting.mode = Targeting::Mode::segments;
  targeting.includedSegments = std::move(included);
  targeting.excludedSegments = std::move(excluded);
  return targeting;
}

Targeting tags(std::vector<std::vector<TagFilter>> groups) {
  Targeting targeting;
  targeting.mode = Targeting::Mode::filters;
  targeting.filterGroups = std::move(groups);
  return targeting;
}

struct Case {
  const char* name;
  Targeting targeting;
  std::function<void(DeviceSnapshot&)> change;
  std::string why;  // empty: it receives
};

class Reaching : public ::testing::TestWithParam<Case> {};

TEST_P(Reaching, SaysWhoReceivesAndWhyTheOthersDoNot) {
  auto device = alice();
  if (GetParam().change) GetParam().change(device);
  const auto reach = reachOf(GetParam().targeting, kApp, {device});
  ASSERT_EQ(reach.size(), 1u);
  EXPECT_EQ(reach[0].device, "1");
  EXPECT_EQ(reach[0].receives, GetParam().why.empty());
  EXPECT_EQ(reach[0].why, GetParam().why);
}

const auto nothing = [](DeviceSnapshot&) {};

INSTANTIATE_TEST_SUITE_P(
    Table, Reaching,
    ::testing::Values(
        Case{"ExternalId", externalIds({"bob", "alice"}), nothing, ""},
        Case{"OtherExternalId", externalIds({"bob"}), nothing, R"(no external id "bob": it has "alice")"},
        Case{"NotLoggedIn", externalIds({"bob", "carol"}), [](auto& d) { d.externalId.reset(); },
             R"(no external id "bob" or "carol": its page has not logged in)"},
        Case{"SubscriptionId", subscriptions({"sub-a"}), nothing, ""},
        Case{"OtherSubscription", subscriptions({"sub-b"}), nothing,
             R"(not subscription "sub-b": its subscription is "sub-a")"},
        Case{"SubscribedUsers", segments({"Subscribed Users"}), nothing, ""},
        Case{"UnknownSegment", segments({"VIP"}), nothing,
             R"(segment "VIP" is not known here: the playground's segments are "Subscribed Users", "Total Subscriptions" and "All")"},
        Case{"Excluded", segments({"All"}, {"Total Subscriptions"}), nothing,
             R"(excluded by segment "Total Subscriptions")"},
        Case{"TagGreater", tags({{{"level", ">", "2"}}}), nothing, ""},
        Case{"TagNotGreater", tags({{{"level", ">", "5"}}}), nothing, R"(tag "level" is "3", the filter wants > 5)"},
        Case{"TagLess", tags({{{"level", "<", "10"}}}), nothing, ""},
        Case{"TagNotANumber", tags({{{"city", ">", "5"}}}), nothing,
             R"(tag "city" is "Lyon", not a number; the filter wants > 5)"},
        Case{"TagEqual", tags({{{"city", "=", "Lyon"}}}), nothing, ""},
        Case{"TagNotEqual", tags({{{"city", "!=", "Lyon"}}}), nothing, R"(tag "city" is "Lyon", the filter wants != Lyon)"},
        Case{"TagMissing", tags({{{"vip", "=", "1"}}}), nothing, R"(no tag "vip", the filter wants = 1)"},
        Case{"TagExists", tags({{{"vip", "exists", ""}}}), nothing, R"(no tag "vip", the filter wants it to exist)"},
        Case{"TagNotExists", tags({{{"city", "not_exists", ""}}}), nothing,
             R"(tag "city" is "Lyon", the filter wants no such tag)"},
        Case{"AllOfAGroup", tags({{{"city", "=", "Lyon"}, {"level", ">", "5"}}}), nothing,
             R"(tag "level" is "3", the filter wants > 5)"},
        Case{"AnyGroup", tags({{{"level", ">", "5"}}, {{"city", "=", "Lyon"}}}), nothing, ""},
        Case{"NoGroup", tags({{{"level", ">", "5"}}, {{"city", "=", "Paris"}}}), nothing,
             R"(tag "level" is "3", the filter wants > 5; nor: tag "city" is "Lyon", the filter wants = Paris)"},
        Case{"PermissionNotGranted", externalIds({"alice"}), [](auto& d) { d.permission = "prompt"; },
             R"(permission not granted (it is "prompt"))"},
        Case{"NotOptedIn", segments({"All"}), [](auto& d) { d.optedIn = false; },
             "not opted in: its push subscription is off"},
        Case{"OtherApp", segments({"All"}), [](auto& d) { d.appId = "other-app"; },
             R"(app id differs: it runs "other-app", the request is for "playground-app")"},
        Case{"Unreachable", segments({"All"}), [](auto& d) { d.unreachable = "its app crashed"; }, "its app crashed"},
        // A device that is not targeted says so before its permission: that is what to fix first.
        Case{"TargetingBeforePermission", externalIds({"bob"}), [](auto& d) { d.permission = "denied"; },
             R"(no external id "bob": it has "alice")"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Reach, GoesDeviceByDeviceInTheirOrder) {
  auto bob = alice();
  bob.device = "2";
  bob.externalId = "bob";
  const auto reach = reachOf(externalIds({"bob"}), kApp, {alice(), bob});
  ASSERT_EQ(reach.size(), 2u);
  EXPECT_FALSE(reach[0].receives);
  EXPECT_EQ(reach[1].device, "2");
  EXPECT_TRUE(reach[1].receives);
}

}  // namespace
}  // namespace pushwren::sim::playground
