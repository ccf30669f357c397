#include <gtest/gtest.h>

#include <csignal>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/push_api/push_api.h"
#include "tests/playground/run_io_until.h"
#include "tests/playground/temp_folder.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;
namespace http = boost::beast::http;

class RecordingTab final : public PageChannel {
 public:
  void send(std::string message) override { messages.push_back(std::move(message)); }
  bool heard(std::string_view text) const {
    for (const auto& message : messages) {
      if (message.find(text) != std::string::npos) return true;
    }
    return false;
  }
  std::vector<std::string> messages;
};

// The service over real `pushwren-sim device` processes.
class PushApiTest : public ::testing::Test {
 protected:
  PushApiTest()
      : fleet(io, {PUSHWREN_PLAYGROUND_WEB_DIR, std::nullopt, FolderSite{PUSHWREN_PLAYGROUND_WEB_DIR "/demo"}},
              {PUSHWREN_SIM_EXECUTABLE, {"--web", PUSHWREN_PLAYGROUND_WEB_DIR, "--playground", "9"}}, sessions.path),
        api(io, fleet, "playground-app") {}

  ~PushApiTest() override {
    fleet.stop();
    runUntil([&] { return !fleet.running(); });
  }

  void runUntil(const std::function<bool()>& done) { ASSERT_TRUE(runIoUntil(io, done, 30s)) << "gave up waiting"; }

  PushApi::Answer call(http::verb method, std::string_view target, const std::string& body = "") {
    std::optional<PushApi::Answer> answer;
    api.handle(method, target, body, [&](PushApi::Answer a) { answer = std::move(a); });
    runUntil([&] { return answer.has_value(); });
    return answer.value_or(PushApi::Answer{0, ""});
  }
  boost::json::object json(http::verb method, std::string_view target, const std::string& body = "") {
    const auto answer = call(method, target, body);
    return boost::json::parse(answer.body).as_object();
  }

  void steps(const std::string& device, const std::string& body) {
    std::optional<StepAnswer> answer;
    fleet.applySteps(device, body, "script", [&](StepAnswer a) { answer = std::move(a); });
    runUntil([&] { return answer.has_value(); });
    ASSERT_EQ(answer->status, 200u) << answer->body;
  }

  TempFolder sessions;
  boost::asio::io_context io;
  DeviceFleet fleet;
  PushApi api;
};

TEST_F(PushApiTest, WithNoDeviceASendReachesNobodyAndARefusedOneChangesNothing) {
  const auto sent = json(http::verb::post, "/api/v1/notifications",
                         R"({"app_id":"playground-app","included_segments":["All"],"contents":{"en":"Hi"}})");
  EXPECT_EQ(sent, boost::json::parse(R"({"id":"","errors":["All included players are not subscribed"]})"));
  const auto refused = call(http::verb::post, "/notifications", R"({"app_id":"playground-app"})");
  EXPECT_EQ(refused.status, 400u);
  // A time no timer can wait for is refused, not scheduled.
  EXPECT_EQ(call(http::verb::post, "/notifications",
                 R"({"app_id":"playground-app","included_segments":["All"],"send_after":"9999-12-31T00:00:00Z"})")
                .status,
            400u);
  EXPECT_EQ(json(http::verb::get, "/notifications?app_id=playground-app").at("total_count"), 0);
  EXPECT_EQ(call(http::verb::get, "/notifications?app_id=other").status, 400u);
  EXPECT_EQ(call(http::verb::get, "/notifications/nope?app_id=playground-app").status, 404u);
  EXPECT_EQ(call(http::verb::delete_, "/notifications").status, 405u);
  EXPECT_EQ(call(http::verb::get, "/players").status, 404u);
  // The panel lists both, the refused one with its reason.
  const auto panel = json(http::verb::get, "/requests");
  ASSERT_EQ(panel.at("requests").as_array().size(), 2u);
  EXPECT_EQ(panel.at("requests").as_array()[1].at("errors").as_array().size(), 1u);
}

TEST_F(PushApiTest, ReachesTheDeviceThatMatchesInTheForegroundOrInItsListAndCountsTheTap) {
  std::optional<std::optional<std::string>> started;
  fleet.startFirstDevice([&](const std::optional<std::string>& failure) { started = failure; });
  runUntil([&] { return started.has_value(); });
  ASSERT_FALSE(*started) << **started;
  // Device 1 is shown in a tab; device 2's tab has gone.
  const auto tab = std::make_shared<RecordingTab>();
  ASSERT_EQ(fleet.openTab(tab, std::nullopt), "1");
  fleet.tabSaid("1", R"({"type":"loaded","url":"http://127.0.0.1/"})", [] {});
  const auto gone = std::make_shared<RecordingTab>();
  ASSERT_EQ(fleet.openTab(gone, std::nullopt), "2");
  fleet.closeTab("2", gone.get());
  const auto subscribed = R"({"do":"sdk","set":{"permission":"granted","externalId":"alice",
                              "pushSubscription":{"id":"sub-1","optedIn":true}}})";
  steps("1", subscribed);
  steps("2", subscribed);
  steps("1", R"({"do":"sdk","set":{"externalId":"bob"}})");

  // Device 2 has no tab: its notification waits in its list.
  const auto toAlice = json(http::verb::post, "/notifications", R"({"app_id":"playground-app",
      "include_aliases":{"external_id":["alice"]},"target_channel":"push","headings":{"en":"For alice"}})");
  const auto aliceId = std::string(toAlice.at("id").as_string());
  ASSERT_FALSE(aliceId.empty()) << boost::json::serialize(toAlice);
  auto panel = json(http::verb::get, "/requests?device=2");
  EXPECT_EQ(panel.at("waiting").as_array().at(0).at("id"), boost::json::value(aliceId));
  const auto& request = panel.at("requests").as_array().at(0).as_object();
  EXPECT_EQ(request.at("recipients").as_array().at(0).at("how"), "waiting in the notification list (no tab shows the device)");
  EXPECT_EQ(request.at("notReached").as_array().at(0).at("why"), R"(no external id "alice": it has "bob")");

  // Device 1's tab shows the app: a notificationWillDisplay step from "api".
  const auto toBob = json(http::verb::post, "/notifications", R"({"app_id":"playground-app",
      "include_aliases":{"external_id":["bob"]},"target_channel":"push","headings":{"en":"For bob"},
      "data":{"story":7},"url":"https://example.com/news/7"})");
  const auto bobId = std::string(toBob.at("id").as_string());
  runUntil([&] { return tab->heard(R"("by":"api","step":{"do":"notificationWillDisplay","title":"For bob")"); });
  EXPECT_TRUE(tab->heard(R"({"type":"pushApi","event":"foreground")"));
  runUntil([&] {
    return json(http::verb::get, "/notifications/" + bobId + "?app_id=playground-app").at("successful") == 1;
  });

  EXPECT_EQ(call(http::verb::post, "/opened?device=1", R"({"id":")" + bobId + R"("})").status, 200u);
  runUntil([&] { return tab->heard(R"("by":"api","step":{"do":"notificationClick")"); });
  // The launch URL is not the app's data: the tap's step carries none of it, and the tab is told
  // where the phone's browser would go.
  EXPECT_TRUE(tab->heard(R"("step":{"do":"notificationClick","title":"For bob","additionalData":{"story":7}})"));
  EXPECT_TRUE(tab->heard(
      R"({"type":"notice","text":"The notification's launch URL opens in the device's browser: https://example.com/news/7"})"));
  EXPECT_EQ(json(http::verb::get, "/notifications/" + bobId + "?app_id=playground-app").at("converted"), 1);
  EXPECT_EQ(json(http::verb::get, "/notifications/" + aliceId + "?app_id=playground-app").at("converted"), 0);
  EXPECT_EQ(call(http::verb::post, "/opened?device=2", R"({"id":"unknown"})").status, 404u);
}

TEST_F(PushApiTest, TabsHearOfARequestOnceEveryDeviceItWentToHasAnswered) {
  std::optional<std::optional<std::string>> started;
  fleet.startFirstDevice([&](const std::optional<std::string>& failure) { started = failure; });
  runUntil([&] { return started.has_value(); });
  ASSERT_FALSE(*started) << **started;
  std::vector<std::shared_ptr<RecordingTab>> tabs;
  for (const std::string device : {"1", "2"}) {
    tabs.push_back(std::make_shared<RecordingTab>());
    ASSERT_EQ(fleet.openTab(tabs.back(), std::nullopt), device);
    fleet.tabSaid(device, R"({"type":"loaded","url":"http://127.0.0.1/"})", [] {});
    steps(device, R"({"do":"sdk","set":{"permission":"granted","pushSubscription":{"id":"sub-)" + device +
                      R"(","optedIn":true}}})");
  }
  const auto pidOf = [&](const std::string& device) {
    const auto list = boost::json::parse(fleet.deviceList());
    for (const auto& each : list.at("devices").as_array()) {
      if (each.at("id") == device.c_str()) return static_cast<pid_t>(each.at("pid").to_number<int>());
    }
    return pid_t{-1};
  };
  const auto heardOf = [](const RecordingTab& tab, const std::function<bool(const boost::json::object&)>& which) {
    std::vector<boost::json::object> heard;
    for (const auto& message : tab.messages) {
      const auto parsed = boost::json::parse(message).as_object();
      if (parsed.at("type") == "pushApi" && parsed.at("event") == "request" && which(parsed.at("request").as_object())) {
        heard.push_back(parsed.at("request").as_object());
      }
    }
    return heard;
  };

  const auto sent = json(http::verb::post, "/notifications", R"({"app_id":"playground-app",
      "included_segments":["Subscribed Users"],"headings":{"en":"For everyone"}})");
  const auto id = std::string(sent.at("id").as_string());
  ASSERT_FALSE(id.empty()) << boost::json::serialize(sent);
  const auto isIt = [&](const boost::json::object& request) { return request.at("id") == id.c_str(); };
  // Device 2 is held before it has run its step; device 1 answers.
  const auto held = pidOf("2");
  ASSERT_GT(held, 0);
  ASSERT_EQ(kill(held, SIGSTOP), 0);
  runUntil([&] { return json(http::verb::get, "/notifications/" + id + "?app_id=playground-app").at("remaining") == 1; });
  // The tabs hear of another request meanwhile, but not of this one, which is still going out.
  EXPECT_EQ(call(http::verb::post, "/notifications", R"({"app_id":"playground-app"})").status, 400u);
  const auto isRefused = [](const boost::json::object& request) { return !request.at("errors").as_array().empty(); };
  runUntil([&] { return !heardOf(*tabs[0], isRefused).empty(); });
  EXPECT_TRUE(heardOf(*tabs[0], isIt).empty());
  ASSERT_EQ(kill(held, SIGCONT), 0);

  runUntil([&] { return !heardOf(*tabs[0], isIt).empty() && !heardOf(*tabs[1], isIt).empty(); });
  // Each tab hears of it once, with what both devices did with it.
  for (const auto& tab : tabs) {
    const auto heard = heardOf(*tab, isIt);
    ASSERT_EQ(heard.size(), 1u);
    const auto& recipients = heard[0].at("recipients").as_array();
    ASSERT_EQ(recipients.size(), 2u);
    for (const auto& each : recipients) EXPECT_NE(each.at("how"), boost::json::value(kOnItsWay)) << boost::json::serialize(each);
  }
}

}  // namespace
}  // namespace pushwren::sim::playground
