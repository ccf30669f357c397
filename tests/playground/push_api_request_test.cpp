#include <gtest/gtest.h>

#include "sim/playground/push_api/notification_request.h"

namespace pushwren::sim::playground {
namespace {

constexpr std::string_view kApp = "playground-app";

NotificationRequest accepted(std::string_view body) {
  auto read = readNotificationRequest(body, kApp);
  if (const auto* refused = std::get_if<RequestErrors>(&read)) {
    ADD_FAILURE() << body << " refused: " << refused->errors.front();
    return {};
  }
  return std::get<NotificationRequest>(read);
}

TEST(NotificationRequest, ReadsTheHonouredFieldsAndNamesTheOthersAsIgnored) {
  const auto request = accepted(R"({
    "app_id": "playground-app", "contents": {"fr": "Bonjour", "en": "Hello"}, "headings": {"de": "Titel"},
    "data": {"story": 7}, "url": "https://example.com/7", "ios_badgeType": "Increase", "ios_badgeCount": 2,
    "include_aliases": {"external_id": ["alice", "bob"]}, "target_channel": "push",
    "ttl": 60, "priority": 10, "android_channel_id": null})");
  EXPECT_EQ(request.body, "Hello");  // "en" first
  EXPECT_EQ(request.title, "Titel");  // else the first language
  EXPECT_EQ(request.data, (boost::json::object{{"story", 7}}));
  EXPECT_EQ(request.url, "https://example.com/7");
  EXPECT_EQ(request.badgeType, "Increase");
  EXPECT_EQ(request.badgeCount, 2);
  EXPECT_EQ(request.targeting.mode, Targeting::Mode::externalIds);
  EXPECT_EQ(request.targeting.ids, (std::vector<std::string>{"alice", "bob"}));
  EXPECT_EQ(request.ignoredFields, (std::vector<std::string>{"ttl", "priority", "android_channel_id"}));
  EXPECT_EQ(describeTargeting(request.targeting), R"(external ids "alice", "bob")");
}

TEST(NotificationRequest, ReadsFilterGroupsSeparatedByOr) {
  const auto request = accepted(R"({"app_id": "playground-app", "filters": [
    {"field": "tag", "key": "level", "relation": ">", "value": 5},
    {"field": "tag", "key": "city", "relation": "=", "value": "Lyon"},
    {"operator": "OR"},
    {"field": "tag", "key": "vip", "relation": "exists"}]})");
  ASSERT_EQ(request.targeting.filterGroups.size(), 2u);
  EXPECT_EQ(request.targeting.filterGroups[0].size(), 2u);
  EXPECT_EQ(request.targeting.filterGroups[0][0].value, "5");  // a number reads as the tag's text
  EXPECT_EQ(describeTargeting(request.targeting), R"(tags ("level" > "5" and "city" = "Lyon") OR "vip" exists)");
}

struct Refused {
  const char* body;
  const char* error;  // the start of the first error
};

class RefusedRequest : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedRequest, AnswersWhatIsWrongAndSendsNothing) {
  const auto read = readNotificationRequest(GetParam().body, kApp);
  const auto* refused = std::get_if<RequestErrors>(&read);
  ASSERT_NE(refused, nullptr) << GetParam().body;
  ASSERT_FALSE(refused->errors.empty());
  EXPECT_TRUE(refused->errors.front().starts_with(GetParam().error)) << refused->errors.front();
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedRequest,
    ::testing::Values(
        Refused{"{\"app_id\": ", "The request body is not JSON: "},
        Refused{"[1]", "The request body must be a JSON object"},
        Refused{R"({"included_segments": ["All"]})", "app_id not found"},
        Refused{R"({"app_id": "other", "included_segments": ["All"]})", "app_id \"other\" is not this playground's"},
        Refused{R"({"app_id": "playground-app", "contents": {"en": "x"}})", "You must include which players"},
        Refused{R"({"app_id": "playground-app", "included_segments": ["All"], "include_subscription_ids": ["s"]})",
                "Use one targeting mode per request, not include_subscription_ids and included_segments"},
        Refused{R"({"app_id": "playground-app", "include_aliases": {"external_id": ["a"]}})",
                "target_channel must be \"push\""},
        Refused{R"({"app_id": "playground-app", "include_aliases": {"onesignal_id": ["a"]}, "target_channel": "push"})",
                "include_aliases: only the alias external_id"},
        Refused{R"({"app_id": "playground-app", "include_subscription_ids": "s-1"})",
                "include_subscription_ids must be an array of strings"},
        Refused{R"({"app_id": "playground-app", "included_segments": ["All"], "contents": "Hello"})",
                "contents must be a map of language codes"},
        Refused{R"({"app_id": "playground-app", "included_segments": ["All"], "data": [1]})", "data must be a JSON object"},
        Refused{R"({"app_id": "playground-app", "included_segments": ["All"], "ios_badgeType": "Set"})",
                "ios_badgeType must be"},
        Refused{R"({"app_id": "playground-app", "included_segments": ["All"], "ios_badgeType": "SetTo"})",
                "ios_badgeType \"SetTo\" needs ios_badgeCount"},
        Refused{R"({"app_id": "playground-app", "included_segments": ["All"], "send_after": "tomorrow"})",
                "send_after \"tomorrow\" is not a time"},
        Refused{R"({"app_id": "playground-app", "filters": [{"field": "country", "relation": "=", "value": "FR"}]})",
                "filters[0]: only tag filters"},
        Refused{R"({"app_id": "playground-app", "filters": [{"field": "tag", "key": "a", "relation": "~", "value": "1"}]})",
                "filters[0]: relation must be one of"},
        Refused{R"({"app_id": "playground-app", "filters": [{"operator": "OR"}]})", "filters has no tag condition"},
        Refused{R"({"app_id": "playground-app", "include_subscription_ids": ["s"], "excluded_segments": ["All"]})",
                "excluded_segments goes with included_segments only"}));

TEST(SendAfter, ReadsTheFormsABackendWrites) {
  EXPECT_EQ(readSendAfter("2026-12-11T09:30:00Z"), 1796981400);
  EXPECT_EQ(readSendAfter("2026-12-11 09:30:00 UTC"), 1796981400);
  EXPECT_EQ(readSendAfter("2026-12-11T10:30:00+01:00"), 1796981400);
  EXPECT_EQ(readSendAfter("2026-12-11 01:30:00 GMT-0800"), 1796981400);
  EXPECT_EQ(readSendAfter("2026-12-11T09:30:00.250Z"), 1796981400);
  EXPECT_EQ(readSendAfter("2026-02-30T09:30:00Z"), std::nullopt);
  EXPECT_EQ(readSendAfter("2026-12-11T25:30:00Z"), std::nullopt);
  EXPECT_EQ(readSendAfter("in an hour"), std::nullopt);
}

}  // namespace
}  // namespace pushwren::sim::playground
