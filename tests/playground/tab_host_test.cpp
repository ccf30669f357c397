#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <algorithm>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "sim/playground/tab/tab_host.h"
#include "sim/scenario/simulation.h"

namespace pushwren::sim::playground {
namespace {

class FakePage final : public PageChannel {
 public:
  void send(std::string message) override { messages.push_back(boost::json::parse(message)); }
  // Everything received since the last call.
  std::vector<boost::json::value> take() { return std::exchange(messages, {}); }

  std::vector<boost::json::value> messages;
};

boost::json::value json(const char* text) { return boost::json::parse(text); }

class TabHostTest : public ::testing::Test {
 protected:
  TabHostTest() {
    sim.host().config().setOneSignalV5Enabled(true);
    sim.host().launch(std::nullopt);
  }

  std::string openTab() {
    auto id = tabs.open(page);
    EXPECT_EQ(page->take(), std::vector{json(R"({"type":"hello","runner":"tab-1"})")});
    return id;
  }

  Simulation sim;
  TabHost tabs{sim.host()};
  std::shared_ptr<FakePage> page = std::make_shared<FakePage>();
};

TEST_F(TabHostTest, ABridgeMessageIsAnsweredInThePageThenReturned) {
  const auto id = openTab();
  tabs.receive(id, R"({"type":"bridge","id":3,"url":"pushwren://onesignal/tags/set",
                       "data":{"tags":{"topic":"1"},"callback":"Pushwren._answers.a3"}})");
  EXPECT_EQ(page->take(), (std::vector{json(R"({"type":"call","functions":["Pushwren._answers.a3"],
                                                "data":{"success":true}})"),
                                       json(R"({"type":"return","id":3,"load":false})")}));
  EXPECT_EQ(sim.trace().textLines(sim.trace().size() - 1), std::vector<std::string>{R"(["return",false])"});
}

TEST_F(TabHostTest, ACallbackThatIsNotAFunctionNameNeverReachesThePage) {
  const auto id = openTab();
  tabs.receive(id, R"j({"type":"bridge","id":4,"url":"pushwren://onesignal/tags/get","data":{"callback":"alert(1)"}})j");
  EXPECT_EQ(page->take(),
            (std::vector{json(R"j({"type":"notice","text":"Refused to call \"alert(1)\": not a function name"})j"),
                         json(R"({"type":"return","id":4,"load":false})")}));
}

TEST_F(TabHostTest, ATapBeforeThePageLoadedIsDeliveredAtTheEndOfTheLoad) {
  const auto id = openTab();
  sim.host().sdk().fireNotificationClick({{}, {}, json(R"({"story":7})").get_object()});
  EXPECT_TRUE(page->take().empty());

  tabs.receive(id, R"({"type":"loaded","url":"http://127.0.0.1/demo/"})");
  const auto messages = page->take();
  ASSERT_EQ(messages.size(), 4u);
  EXPECT_EQ(messages[0], json(R"({"type":"call","functions":["corvane_onesignal_push_opened",
                                  "tavio_onesignal_push_opened"],"data":{"story":7}})"));
  EXPECT_EQ(messages[1], json(R"({"type":"event","name":"_tavio_onesignal_push_opened","data":{"story":7}})"));
  EXPECT_EQ(messages[2].at("functions"), json(R"(["tavio_onesignal_info"])"));
  EXPECT_EQ(messages[3].at("functions"), json(R"(["corvane_onesignal_info"])"));
}

TEST_F(TabHostTest, TheWebViewFollowsHttpUrlsAndRefusesJavascriptUrls) {
  const auto id = openTab();
  tabs.receive(id, R"({"type":"loaded"})");
  page->take();

  sim.host().sdk().fireNotificationClick({{}, {}, json(R"({"u":"https://example.com/a b"})").get_object()});
  EXPECT_EQ(page->take(), std::vector{json(R"({"type":"navigate","url":"https://example.com/a%20b"})")});

  sim.host().sdk().fireNotificationClick({{}, {}, json(R"j({"u":"javascript:alert(1)"})j").get_object()});
  const auto refused = page->take();
  ASSERT_EQ(refused.size(), 1u);
  EXPECT_EQ(refused[0].at("type"), "notice");
  EXPECT_TRUE(refused[0].at("text").get_string().starts_with("Refused to navigate to javascript:alert(1)"));
}

TEST_F(TabHostTest, AClosedTabsRunnerIsLetGo) {
  const auto id = openTab();
  tabs.receive(id, R"({"type":"loaded"})");
  page->take();
  tabs.close(id);
  const auto before = sim.trace().size();
  sim.host().sdk().fireNotificationClick({{}, {}, json(R"({"story":8})").get_object()});
  EXPECT_TRUE(page->take().empty());
  for (const auto& line : sim.trace().textLines(before)) EXPECT_EQ(line.find("runner."), std::string::npos) << line;
}

TEST_F(TabHostTest, AnOpenTabGetsItsRunnerBackAfterAStepLetItGo) {
  const auto id = openTab();
  sim.host().releaseRunner(id);
  tabs.receive(id, R"({"type":"bridge","id":5,"url":"pushwren://onesignal/logout","data":{"callback":"cb"}})");
  const auto messages = page->take();
  ASSERT_FALSE(messages.empty()) << "the page was sent nothing";
  EXPECT_EQ(messages.front(), json(R"({"type":"call","functions":["cb"],"data":{"success":true}})"));
}

TEST_F(TabHostTest, AnUnreadableMessageIsNoticedAndChangesNothing) {
  const auto id = openTab();
  const auto before = sim.trace().size();
  tabs.receive(id, "{not json");
  const auto messages = page->take();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(messages[0].at("text").get_string().starts_with("Message ignored: not JSON"));
  EXPECT_EQ(sim.trace().size(), before);
}

TEST_F(TabHostTest, ARelaunchGivesTheTabARunnerOfTheNewProcessAndItsPageIsTheFirstLoad) {
  std::vector<std::string> recorded;
  tabs.onRecord([&](const boost::json::object& step, std::size_t) { recorded.push_back(boost::json::serialize(step)); });
  const auto id = openTab();
  tabs.receive(id, R"({"type":"loaded","url":"http://127.0.0.1/"})");
  page->take();

  sim.restartProcess();
  sim.host().launch(std::nullopt);
  sim.host().sdk().fireNotificationClick({{}, {}, json(R"({"story":9})").get_object()});
  recorded.clear();
  tabs.relaunched();
  EXPECT_EQ(page->take(), std::vector{json(R"({"type":"relaunched"})")});
  EXPECT_EQ(recorded, (std::vector<std::string>{R"({"do":"runnerDidLoad","runner":"tab-1"})",
                                                R"({"do":"runnerWillAppear","runner":"tab-1"})"}));

  // The held tap reaches the new page once, at the end of its load, and not again.
  tabs.receive(id, R"({"type":"loaded","url":"http://127.0.0.1/"})");
  const auto opened = [](const std::vector<boost::json::value>& messages) {
    return std::count_if(messages.begin(), messages.end(), [](const auto& m) {
      return m.at("type") == "event" && m.at("name") == "_tavio_onesignal_push_opened";
    });
  };
  EXPECT_EQ(opened(page->take()), 1);
  tabs.receive(id, R"({"type":"loaded","url":"http://127.0.0.1/"})");
  EXPECT_EQ(opened(page->take()), 0);
  EXPECT_EQ(recorded.back(), R"({"do":"navigationFinished","runner":"tab-1"})");
}

TEST_F(TabHostTest, WhatATabDoesIsRecordedAsTheStepsThatReplayIt) {
  std::vector<std::pair<std::string, std::size_t>> recorded;
  tabs.onRecord([&](const boost::json::object& step, std::size_t from) {
    recorded.emplace_back(boost::json::serialize(step), from);
  });
  const auto id = openTab();
  const auto beforeBridge = sim.trace().size();
  tabs.receive(id, R"({"type":"bridge","id":1,"url":"pushwren://onesignal/tags/set","data":{"tags":{"a":"1"}}})");
  tabs.receive(id, R"({"type":"bridge","id":2,"url":"not json"})");
  tabs.close(id);
  ASSERT_EQ(recorded.size(), 5u);
  EXPECT_EQ(recorded[2], std::pair(std::string(R"({"do":"bridge","runner":"tab-1","url":"pushwren://onesignal/tags/set",)"
                                               R"("data":{"tags":{"a":"1"}}})"),
                                   beforeBridge));
  EXPECT_EQ(recorded[3].first, R"({"do":"bridge","runner":"tab-1","url":"not json","data":{}})");
  EXPECT_EQ(recorded[4].first, R"({"do":"releaseRunner","id":"tab-1"})");
}

}  // namespace
}  // namespace pushwren::sim::playground
