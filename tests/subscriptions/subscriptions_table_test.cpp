#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include <boost/json/parse.hpp>

#include "pushwren/platform/main_queue.h"
#include "pushwren/platform/ui/switch.h"
#include "pushwren/subscriptions/CVPushwrenSubscriptionsTableViewController.h"
#include "tests/support/onesignal_mock.h"

namespace pushwren {
namespace {

using ::testing::_;

// A table controller with its view loaded, fed a manifest, as the screen feeds it.
class SubscriptionsTable : public ::testing::Test {
 protected:
  void SetUp() override {
    controller->view();
    MainQueue::shared().runUntilIdle();
  }

  void load(std::string_view manifest, std::string_view tags = "{}") {
    auto model = CVPushwrenSubscriptionsModel::modelWithJSONData(manifest);
    ASSERT_TRUE(model);
    model->markSubscribedItems(boost::json::parse(tags).as_object());
    controller->loadModel(model);
    MainQueue::shared().runUntilIdle();
  }

  UITableView& table() { return *controller->tableView(); }

  // What the table shows: sections joined by " | ", each "title: label(on|off #tag) ...", "~" for
  // none.
  std::string shown() {
    std::string out;
    for (const auto& section : table().displayedSections()) {
      if (!out.empty()) out += " | ";
      out += section.title.value_or("~") + ":";
      for (const auto& cell : section.cells) {
        const auto rowSwitch = std::dynamic_pointer_cast<UISwitch>(cell->accessoryView());
        out += " " + cell->textLabel()->text().value_or("~") + "(" + (rowSwitch->isOn() ? "on" : "off") + " #" +
               std::to_string(rowSwitch->tag()) + ")";
      }
    }
    return out;
  }

  // The user flips the switch now on that row.
  void flip(long section, long row, bool on) {
    const auto rowSwitch = std::dynamic_pointer_cast<UISwitch>(table().cellForRowAtIndexPath({section, row})->accessoryView());
    rowSwitch->setOn(on);
    rowSwitch->sendActionsForControlEvents(UIControlEventValueChanged);
  }

  testing::ScopedOneSignalMock sdk;
  std::shared_ptr<CVPushwrenSubscriptionsTableViewController> controller =
      std::make_shared<CVPushwrenSubscriptionsTableViewController>();
};

constexpr auto kTwoSections = R"({"sections": [
    {"name": "Topics", "items": [{"identifier": "news", "name": "News"}, {"identifier": "sports", "name": "Sports"}]},
    {"items": [{"name": "No id"}, {"identifier": "weather"}]},
    {"name": "Empty"}]})";

TEST_F(SubscriptionsTable, HiddenWithNoSectionsUntilItHasAModel) {
  EXPECT_TRUE(table().isHidden());
  table().reloadData();
  EXPECT_EQ(shown(), "");
  load("{}");
  EXPECT_EQ(shown(), "");
}

TEST_F(SubscriptionsTable, ShowsSectionsRowsAndMarksWithTagsInTheOrderCellsWereAskedFor) {
  load(kTwoSections, R"({"sports": "x"})");
  EXPECT_EQ(shown(), "Topics: News(off #0) Sports(on #1) | ~: No id(off #2) ~(off #3) | Empty:");
  EXPECT_EQ(controller->switchTagToItem()->size(), 4u);
}

TEST_F(SubscriptionsTable, RedrawsMakeNewTagsThatStillActOnTheirRowsItem) {
  load(kTwoSections);
  table().redrawRows();
  table().redrawRows();
  EXPECT_EQ(shown(), "Topics: News(off #8) Sports(off #9) | ~: No id(off #10) ~(off #11) | Empty:");

  EXPECT_CALL(*sdk, addTagWithKey("sports", "1"));
  flip(0, 1, true);
  table().redrawRows();
  EXPECT_EQ(shown(), "Topics: News(off #12) Sports(on #13) | ~: No id(off #14) ~(off #15) | Empty:");

  // Every entry, old and new, is the model's own item for its row.
  const auto& tagToItem = *controller->switchTagToItem();
  const auto& items = *controller->model()->sections()->at(0)->items();
  ASSERT_EQ(tagToItem.size(), 16u);
  for (std::size_t tag = 0; tag < tagToItem.size(); tag += 4) {
    EXPECT_EQ(tagToItem[tag], items[0]);
    EXPECT_EQ(tagToItem[tag + 1], items[1]);
  }
}

TEST_F(SubscriptionsTable, ASwitchAddsTheTagWithOneOrRemovesIt) {
  load(kTwoSections, R"({"news": "other"})");
  ::testing::InSequence order;
  EXPECT_CALL(*sdk, removeTag("news"));
  EXPECT_CALL(*sdk, addTagWithKey("news", "1"));
  EXPECT_CALL(*sdk, removeTag("news"));
  flip(0, 0, false);
  flip(0, 0, true);
  flip(0, 0, false);
  EXPECT_FALSE(controller->model()->sections()->at(0)->items()->at(0)->isSubscribed());
}

TEST_F(SubscriptionsTable, AnItemWithoutIdentifierKeepsItsPositionButTouchesNoTag) {
  load(kTwoSections);
  EXPECT_CALL(*sdk, addTagWithKey(_, _)).Times(0);
  EXPECT_CALL(*sdk, removeTag(_)).Times(0);
  flip(1, 0, true);
  table().redrawRows();
  EXPECT_EQ(shown(), "Topics: News(off #4) Sports(off #5) | ~: No id(on #6) ~(off #7) | Empty:");
}

TEST_F(SubscriptionsTable, TwoItemsWithOneIdentifierKeepTheirOwnPositions) {
  load(R"({"sections": [{"name": "S", "items": [{"identifier": "a", "name": "First"}, {"identifier": "a", "name": "Second"}]}]})",
       R"({"a": "1"})");
  EXPECT_CALL(*sdk, removeTag("a"));
  flip(0, 1, false);
  table().redrawRows();
  EXPECT_EQ(shown(), "S: First(on #2) Second(off #3)");
}

TEST_F(SubscriptionsTable, ASwitchWhoseTagIsNotInTheRegisterChangesNothing) {
  load(kTwoSections);
  EXPECT_CALL(*sdk, addTagWithKey(_, _)).Times(0);
  for (const long tag : {-1L, 4L, 1000L}) {
    UISwitch stranger;
    stranger.setTag(tag);
    stranger.setOn(true);
    controller->switchUpdatedState(stranger);
  }
  table().redrawRows();
  EXPECT_EQ(shown(), "Topics: News(off #4) Sports(off #5) | ~: No id(off #6) ~(off #7) | Empty:");
}

TEST_F(SubscriptionsTable, AModelLoadedOnAnotherThreadIsShownByTheMainQueue) {
  auto model = CVPushwrenSubscriptionsModel::modelWithJSONData(kTwoSections);
  std::thread download([&] { controller->loadModel(model); });
  download.join();
  EXPECT_EQ(controller->model(), model);
  EXPECT_EQ(shown(), "");
  MainQueue::shared().runUntilIdle();
  EXPECT_EQ(shown(), "Topics: News(off #0) Sports(off #1) | ~: No id(off #2) ~(off #3) | Empty:");
}

}  // namespace
}  // namespace pushwren
