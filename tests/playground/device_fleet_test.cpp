#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/json/parse.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "tests/playground/run_io_until.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;

class FakeTab final : public PageChannel {
 public:
  void send(std::string message) override { messages.push_back(boost::json::parse(message).as_object()); }
  // Whether a message of this type has come, with "state" when given.
  bool heard(std::string_view type, std::string_view state = {}) const {
    for (const auto& message : messages) {
      if (message.at("type").as_string() != type) continue;
      if (state.empty() || message.at("state").as_string() == state) return true;
    }
    return false;
  }
  const boost::json::object* last(std::string_view type) const {
    const boost::json::object* found = nullptr;
    for (const auto& message : messages) {
      if (message.at("type").as_string() == type) found = &message;
    }
    return found;
  }

  std::vector<boost::json::object> messages;
};

// The devices are the real `pushwren-sim device` processes.
class DeviceFleetTest : public ::testing::Test {
 protected:
  explicit DeviceFleetTest(std::chrono::milliseconds answerLimit = DeviceProcess::kAnswerLimit)
      : fleet(io, {PUSHWREN_PLAYGROUND_WEB_DIR, std::nullopt, FolderSite{PUSHWREN_PLAYGROUND_WEB_DIR "/demo"}},
              {PUSHWREN_SIM_EXECUTABLE, {"--web", PUSHWREN_PLAYGROUND_WEB_DIR, "--playground", "9"}}, answerLimit) {}

  ~DeviceFleetTest() override {
    fleet.stop();
    runUntil([&] { return !fleet.running(); });
  }

  void runUntil(const std::function<bool()>& done) { ASSERT_TRUE(runIoUntil(io, done, 30s)) << "gave up waiting"; }

  // Opens a tab and lets its page finish loading, as the web view does.
  std::string open(const std::shared_ptr<FakeTab>& tab, std::optional<std::string> wanted = std::nullopt) {
    const auto id = fleet.openTab(tab, std::move(wanted));
    EXPECT_TRUE(id);
    fleet.tabSaid(*id, R"({"type":"loaded","url":"http://127.0.0.1/"})");
    return *id;
  }

  StepAnswer steps(std::optional<std::string> device, std::string body) {
    std::optional<StepAnswer> answer;
    fleet.applySteps(std::move(device), std::move(body), "script", [&](StepAnswer a) { answer = std::move(a); });
    runUntil([&] { return answer.has_value(); });
    return answer.value_or(StepAnswer{0, ""});
  }

  pid_t pidOf(const std::string& id) {
    const auto list = boost::json::parse(fleet.deviceList());
    for (const auto& device : list.at("devices").as_array()) {
      if (device.at("id").as_string() == id) return static_cast<pid_t>(device.at("pid").as_int64());
    }
    return -1;
  }
  // Signals the device's process only: a pid of 0 or -1 would reach far more.
  void signalDevice(const std::string& id, int signal) {
    const auto pid = pidOf(id);
    ASSERT_GT(pid, 1) << fleet.deviceList();
    ASSERT_EQ(::kill(pid, signal), 0);
  }

  static constexpr const char* kTap = R"({"do":"notificationClick","additionalData":{"story":"7"}})";

  boost::asio::io_context io;
  DeviceFleet fleet;
  std::shared_ptr<FakeTab> first = std::make_shared<FakeTab>();
  std::shared_ptr<FakeTab> second = std::make_shared<FakeTab>();
};

TEST_F(DeviceFleetTest, EachTabIsADeviceOfItsOwn) {
  EXPECT_EQ(open(first), "1");
  EXPECT_EQ(open(second), "2");
  EXPECT_EQ(first->last("app")->at("name").as_string(), "device 1");
  EXPECT_EQ(second->last("app")->at("name").as_string(), "device 2");
  // A device takes its frames in order: once an empty list of steps is answered, its page's load
  // has been taken too.
  ASSERT_EQ(steps("1", "[]").status, 200u);
  ASSERT_EQ(steps("2", "[]").status, 200u);
  first->messages.clear();

  // Without ?device the tab opened last is meant.
  EXPECT_EQ(steps(std::nullopt, kTap).status, 200u);
  runUntil([&] { return second->heard("call") || second->heard("event"); });
  ASSERT_EQ(steps("1", "[]").status, 200u);
  EXPECT_FALSE(first->heard("call") || first->heard("event")) << "the tap went to device 2 only";

  const auto unknown = steps("7", kTap);
  EXPECT_EQ(unknown.status, 400u);
  EXPECT_NE(unknown.body.find(R"(no device \"7\": the devices are 1, 2)"), std::string::npos) << unknown.body;
}

TEST_F(DeviceFleetTest, AReloadedTabComesBackToItsDeviceAndANewTabGetsANewOne) {
  EXPECT_EQ(open(first), "1");
  fleet.closeTab("1", first.get());
  EXPECT_EQ(open(second), "2") << "device 1 waits for its own tab";
  const auto reloaded = std::make_shared<FakeTab>();
  EXPECT_EQ(open(reloaded, "1"), "1");
  const auto third = std::make_shared<FakeTab>();
  EXPECT_EQ(open(third, "2"), "3") << "device 2 is shown in another tab";
}

TEST_F(DeviceFleetTest, AtTheCapTheDeviceLeftLongestAgoMakesRoomAndShownDevicesStay) {
  std::vector<std::shared_ptr<FakeTab>> tabs;
  for (std::size_t n = 0; n < DeviceFleet::kMostDevices; ++n) {
    tabs.push_back(std::make_shared<FakeTab>());
    EXPECT_EQ(open(tabs.back()), std::to_string(n + 1));
  }
  const auto refused = std::make_shared<FakeTab>();
  EXPECT_FALSE(fleet.openTab(refused, std::nullopt)) << "every device is shown";
  EXPECT_NE(refused->last("app")->at("why").as_string().find("close a tab to open another"), std::string::npos);

  // Device 1 is left first; device 2, shown and next in line, must not be the one to go.
  fleet.closeTab("1", tabs.front().get());
  EXPECT_EQ(open(std::make_shared<FakeTab>()), "17");
  EXPECT_EQ(steps("1", "[]").status, 400u) << "device 1 made room";
  for (std::size_t n = 2; n <= DeviceFleet::kMostDevices; ++n) {
    EXPECT_EQ(steps(std::to_string(n), "[]").status, 200u) << "device " << n << " is still there";
  }
  for (std::size_t n = 1; n < tabs.size(); ++n) EXPECT_FALSE(tabs[n]->heard("app", "crashed")) << "tab " << n + 1;
}

TEST_F(DeviceFleetTest, ACrashedDeviceIsToldToItsTabAndComesBackWithItsRelaunch) {
  open(first);
  open(second);
  ASSERT_EQ(steps("2", R"({"do":"sdk","set":{"externalId":"reader-2"}})").status, 200u);
  signalDevice("2", SIGKILL);
  runUntil([&] { return second->heard("app", "crashed"); });
  EXPECT_NE(std::string(second->last("app")->at("why").as_string()).find("killed by signal 9"), std::string::npos);
  EXPECT_FALSE(first->heard("app", "crashed"));
  EXPECT_EQ(steps("1", kTap).status, 200u) << "the other device goes on";

  const auto refused = steps("2", kTap);
  EXPECT_EQ(refused.status, 409u);
  EXPECT_NE(refused.body.find("relaunch it first"), std::string::npos) << refused.body;

  second->messages.clear();
  const auto relaunched = steps("2", R"({"do":"relaunch","notification":{"story":"8"}})");
  EXPECT_EQ(relaunched.status, 200u) << relaunched.body;
  EXPECT_TRUE(second->heard("app", "running"));
  runUntil([&] { return second->heard("hello"); });
  EXPECT_NE(pidOf("2"), -1);
  // The new page loads; the tap that opened the app reaches it.
  fleet.tabSaid("2", R"({"type":"loaded","url":"http://127.0.0.1/"})");
  runUntil([&] { return second->heard("call") || second->heard("event"); });
}

class HungDeviceTest : public DeviceFleetTest {
 protected:
  HungDeviceTest() : DeviceFleetTest(300ms) {}
};

TEST_F(HungDeviceTest, IsTreatedAsCrashed) {
  open(first);
  const auto pid = pidOf("1");
  signalDevice("1", SIGSTOP);
  const auto answer = steps("1", kTap);
  EXPECT_EQ(answer.status, 500u);
  EXPECT_NE(answer.body.find("did not answer within 0.3 s"), std::string::npos) << answer.body;
  runUntil([&] { return first->heard("app", "crashed"); });
  EXPECT_EQ(steps("1", R"({"do":"relaunch"})").status, 200u);
  EXPECT_NE(pidOf("1"), pid);
}

}  // namespace
}  // namespace pushwren::sim::playground
