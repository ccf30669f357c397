#include <gtest/gtest.h>

#include "sim/playground/push_api/notification_store.h"

namespace pushwren::sim::playground {
namespace {

ApiRequest sentTo(std::string id, std::vector<Reach> reach) {
  ApiRequest request;
  request.id = std::move(id);
  request.receivedAt = 1796981400250;
  NotificationRequest asked;
  asked.contents = {{"en", "Hello"}};
  asked.body = "Hello";
  asked.data = boost::json::object{{"story", 7}};
  asked.targeting.mode = Targeting::Mode::externalIds;
  asked.targeting.ids = {"alice"};
  asked.ignoredFields = {"ttl"};
  request.request = asked;
  request.reach = std::move(reach);
  for (const auto& each : request.reach) {
    if (each.receives) request.delivered[each.device] = "shown as a banner";
  }
  request.completedAt = 1796981401;
  return request;
}

TEST(NotificationStore, ReadsBackAsTheProviderDoes) {
  NotificationStore store;
  auto& stored = store.add(sentTo("n-1", {{"1", true, ""}, {"2", false, R"(no external id "alice": it has "bob")"}}));
  stored.tappedOn.insert("1");
  const auto view = providerView(*store.find("n-1"), "playground-app");
  EXPECT_EQ(view.at("id"), "n-1");
  EXPECT_EQ(view.at("app_id"), "playground-app");
  EXPECT_EQ(view.at("contents"), (boost::json::object{{"en", "Hello"}}));
  EXPECT_EQ(view.at("data"), (boost::json::object{{"story", 7}}));
  EXPECT_EQ(view.at("successful"), 1u);
  EXPECT_EQ(view.at("converted"), 1u);
  EXPECT_EQ(view.at("remaining"), 0u);
  EXPECT_EQ(view.at("queued_at"), 1796981400);
  EXPECT_EQ(view.at("send_after"), 1796981400);  // sent at once
  EXPECT_EQ(view.at("completed_at"), 1796981401);
}

TEST(NotificationStore, CountsWhatIsOnItsWayAsRemaining) {
  NotificationStore store;
  auto request = sentTo("n-1", {{"1", true, ""}, {"2", true, ""}});
  request.delivered["2"] = "on its way";
  const auto view = providerView(store.add(std::move(request)), "playground-app");
  EXPECT_EQ(view.at("successful"), 1u);
  EXPECT_EQ(view.at("remaining"), 1u);
}

TEST(NotificationStore, ShowsThePanelWhoWasReachedAndWhyTheOthersWereNot) {
  NotificationStore store;
  const auto view = panelView(store.add(sentTo("n-1", {{"1", true, ""}, {"2", false, "not opted in"}})));
  EXPECT_EQ(view.at("time"), "2026-12-11T09:30:00Z");
  EXPECT_EQ(view.at("targeting"), R"(external id "alice")");
  EXPECT_EQ(view.at("outcome"), "sent to 1 of 2 devices");
  EXPECT_EQ(view.at("recipients"), (boost::json::array{{{"device", "1"}, {"how", "shown as a banner"}}}));
  EXPECT_EQ(view.at("notReached"), (boost::json::array{{{"device", "2"}, {"why", "not opted in"}}}));
  EXPECT_EQ(view.at("ignored"), (boost::json::array{"ttl"}));

  const auto nobody = panelView(store.add(sentTo("", {{"1", false, "not opted in"}})));
  EXPECT_EQ(nobody.at("outcome"), "reached nobody: \"All included players are not subscribed\"");

  ApiRequest refused;
  refused.errors = {"app_id not found"};
  const auto refusedView = panelView(store.add(std::move(refused)));
  EXPECT_EQ(refusedView.at("outcome"), "refused (HTTP 400): nothing was sent");
  EXPECT_EQ(refusedView.at("targeting"), nullptr);
}

TEST(NotificationStore, ListsNotificationsNewestFirstWithoutTheOnesThatReachedNobody) {
  NotificationStore store;
  store.add(sentTo("n-1", {{"1", true, ""}}));
  store.add(sentTo("", {{"1", false, "not opted in"}}));
  store.add(sentTo("n-3", {{"1", true, ""}}));
  const auto list = providerList(store, "playground-app", 50, 0);
  EXPECT_EQ(list.at("total_count"), 2u);
  const auto& notifications = list.at("notifications").as_array();
  ASSERT_EQ(notifications.size(), 2u);
  EXPECT_EQ(notifications[0].at("id"), "n-3");
  EXPECT_EQ(providerList(store, "playground-app", 1, 1).at("notifications").as_array()[0].at("id"), "n-1");
  EXPECT_EQ(store.find(""), nullptr);
}

TEST(NotificationStore, KeepsTheNewestRequestsOnly) {
  NotificationStore store;
  for (std::size_t i = 0; i < NotificationStore::kKept + 5; ++i) store.add(sentTo("n-" + std::to_string(i), {}));
  EXPECT_EQ(store.all().size(), NotificationStore::kKept);
  EXPECT_EQ(store.find("n-4"), nullptr);
  EXPECT_NE(store.find("n-5"), nullptr);
  EXPECT_EQ(store.all().back().number, NotificationStore::kKept + 5);
}

}  // namespace
}  // namespace pushwren::sim::playground
