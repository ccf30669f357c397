#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <boost/json/parse.hpp>

#include "sim/playground/tab_host.h"
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
  EXPECT_EQ(page->take().front(), json(R"({"type":"call","functions":["cb"],"data":{"success":true}})"));
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

}  // namespace
}  // namespace pushwren::sim::playground
