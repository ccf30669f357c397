#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "tests/playground/run_io_until.h"
#include "tests/playground/temp_folder.h"

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

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

// What a session slice says the session is: the first bytes of its file.
std::string sliceText(const SessionSlice& slice) { return fileText(slice.file).substr(0, slice.size); }

// The devices are the real `pushwren-sim device` processes, unless a test names a stand-in.
class DeviceFleetTest : public ::testing::Test {
 protected:
  explicit DeviceFleetTest(FleetLimits limits = {}, std::string executable = PUSHWREN_SIM_EXECUTABLE)
      : fleet(io, {PUSHWREN_PLAYGROUND_WEB_DIR, std::nullopt, FolderSite{PUSHWREN_PLAYGROUND_WEB_DIR "/demo"}},
              {std::move(executable), {"--web", PUSHWREN_PLAYGROUND_WEB_DIR, "--playground", "9"}}, sessions.path,
              std::move(limits)) {}

  ~DeviceFleetTest() override {
    fleet.stop();
    runUntil([&] { return !fleet.running(); });
  }

  void runUntil(const std::function<bool()>& done) { ASSERT_TRUE(runIoUntil(io, done, 60s)) << "gave up waiting"; }

  // Opens a tab and lets its page finish loading, as the web view does.
  std::string open(const std::shared_ptr<FakeTab>& tab, std::optional<std::string> wanted = std::nullopt) {
    const auto id = fleet.openTab(tab, std::move(wanted));
    EXPECT_TRUE(id);
    if (!id) return "";
    fleet.tabSaid(*id, R"({"type":"loaded","url":"http://127.0.0.1/"})", [] {});
    return *id;
  }

  // Sends steps; the answer is heard later.
  std::shared_ptr<std::optional<StepAnswer>> send(std::optional<std::string> device, std::string body) {
    auto answer = std::make_shared<std::optional<StepAnswer>>();
    fleet.applySteps(std::move(device), std::move(body), "script", [answer](StepAnswer a) { *answer = std::move(a); });
    return answer;
  }
  StepAnswer steps(std::optional<std::string> device, std::string body) {
    const auto answer = send(std::move(device), std::move(body));
    runUntil([&] { return answer->has_value(); });
    return answer->value_or(StepAnswer{0, ""});
  }

  std::optional<SessionSlice> session(const std::string& device, const std::string& which) {
    std::optional<SessionSlice> slice;
    bool heard = false;
    fleet.session(device, which, [&](const StepAnswer& refusal, std::optional<SessionSlice> given) {
      heard = true;
      slice = std::move(given);
      EXPECT_TRUE(slice) << refusal.status << " " << refusal.body;
    });
    runUntil([&] { return heard; });
    return slice;
  }

  pid_t pidOf(const std::string& id) {
    const auto list = boost::json::parse(fleet.deviceList());
    for (const auto& device : list.at("devices").as_array()) {
      if (device.at("id").as_string() == id) return static_cast<pid_t>(device.at("pid").as_int64());
    }
    return -1;
  }
  std::size_t runningProcesses() {
    std::size_t running = 0;
    const auto list = boost::json::parse(fleet.deviceList());
    for (const auto& device : list.at("devices").as_array()) {
      const auto pid = static_cast<pid_t>(device.at("pid").as_int64());
      // Signal 0 only asks whether the process is there.
      running += device.at("state").as_string() == "running" && pid > 1 && ::kill(pid, 0) == 0 ? 1 : 0;
    }
    return running;
  }
  // Signals the device's process only: a pid of 0 or -1 would reach far more.
  void signalDevice(const std::string& id, int signal) {
    const auto pid = pidOf(id);
    ASSERT_GT(pid, 1) << fleet.deviceList();
    ASSERT_EQ(::kill(pid, signal), 0);
  }

  static constexpr const char* kTap = R"({"do":"notificationClick","additionalData":{"story":"7"}})";

  TempFolder sessions;
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

// The cap is a parameter: two devices show what sixteen would, with three processes.
class CappedFleetTest : public DeviceFleetTest {
 protected:
  CappedFleetTest() : DeviceFleetTest(FleetLimits{2, {}}) {}
};

TEST_F(CappedFleetTest, AtTheCapTheDeviceLeftLongestAgoMakesRoomAndShownDevicesStay) {
  EXPECT_EQ(open(first), "1");
  EXPECT_EQ(open(second), "2");
  const auto refused = std::make_shared<FakeTab>();
  EXPECT_FALSE(fleet.openTab(refused, std::nullopt)) << "every device is shown";
  EXPECT_EQ(refused->last("app")->at("why").as_string(),
            "The playground runs 2 devices, each shown in a tab; close a tab to open another.");

  // Device 1 is left first; device 2, shown and next in line, must not be the one to go.
  fleet.closeTab("1", first.get());
  const auto third = std::make_shared<FakeTab>();
  EXPECT_EQ(open(third), "3");
  EXPECT_EQ(steps("1", "[]").status, 400u) << "device 1 made room";
  EXPECT_EQ(steps("2", "[]").status, 200u) << "device 2 is still there";
  EXPECT_EQ(steps("3", "[]").status, 200u);
  EXPECT_FALSE(second->heard("app", "crashed"));
  EXPECT_EQ(runningProcesses(), 2u);
}

TEST_F(CappedFleetTest, ARelaunchCountsAgainstTheCap) {
  open(first);
  open(second);
  signalDevice("2", SIGKILL);
  runUntil([&] { return second->heard("app", "crashed"); });
  // While device 2 is down, a third tab takes its place among the running processes.
  fleet.closeTab("2", second.get());
  const auto third = std::make_shared<FakeTab>();
  EXPECT_EQ(open(third), "3");
  EXPECT_EQ(open(second, "2"), "2") << "its tab comes back to the crashed device";

  // Devices 1 and 3 run, both shown: relaunching 2 would make a third process.
  const auto refused = steps("2", R"({"do":"relaunch"})");
  EXPECT_EQ(refused.status, 503u);
  EXPECT_NE(refused.body.find("The playground runs 2 devices, each shown in a tab; close a tab to relaunch this one."),
            std::string::npos)
      << refused.body;
  EXPECT_EQ(runningProcesses(), 2u);

  // Once a tab has gone, its device makes room for the relaunch.
  fleet.closeTab("3", third.get());
  const auto relaunched = steps("2", R"({"do":"relaunch"})");
  EXPECT_EQ(relaunched.status, 200u) << relaunched.body;
  EXPECT_EQ(steps("3", "[]").status, 400u) << "device 3 made room";
  EXPECT_EQ(runningProcesses(), 2u);
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
  fleet.tabSaid("2", R"({"type":"loaded","url":"http://127.0.0.1/"})", [] {});
  runUntil([&] { return second->heard("call") || second->heard("event"); });
}

TEST_F(DeviceFleetTest, ConcurrentRequestsToOneDeviceRunOneAfterAnotherAndAnswerOnlyTheirOwnLines) {
  open(first);
  ASSERT_EQ(steps("1", "[]").status, 200u);
  // Each request's steps leave lines that name it (their callbacks); they would interleave if the
  // requests did.
  std::string taps, tags;
  for (int n = 0; n < 20; ++n) {
    const auto call = [n](const char* name) {
      return std::string(n ? "\n" : "") +
             R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/tags/get","data":{"callback":")" + name +
             std::to_string(n) + R"("}})";
    };
    taps += call("tap-");
    tags += call("tag-");
  }
  const auto one = send("1", taps);
  const auto other = send("1", tags);
  runUntil([&] { return one->has_value() && other->has_value(); });
  ASSERT_EQ((*one)->status, 200u) << (*one)->body;
  ASSERT_EQ((*other)->status, 200u) << (*other)->body;
  EXPECT_NE((*one)->body.find("tap-19"), std::string::npos);
  EXPECT_EQ((*one)->body.find("tag-"), std::string::npos) << "the other request's lines";
  EXPECT_NE((*other)->body.find("tag-19"), std::string::npos);
  EXPECT_EQ((*other)->body.find("tap-"), std::string::npos) << "the other request's lines";
}

TEST_F(DeviceFleetTest, ASessionIsTheFileAsItStoodWhenAskedAndARelaunchGoesOnInANewFile) {
  open(first);
  ASSERT_EQ(steps("1", R"({"do":"sdk","set":{"externalId":"reader-1"}})").status, 200u);
  const auto before = session("1", "jsonl");
  ASSERT_TRUE(before);
  EXPECT_EQ(before->file, sessions.path / "device-1.jsonl");
  const auto text = sliceText(*before);
  EXPECT_TRUE(text.ends_with("\n")) << "whole lines";
  EXPECT_NE(text.find("reader-1"), std::string::npos) << text;
  const auto trace = session("1", "trace");
  ASSERT_TRUE(trace);
  EXPECT_EQ(trace->file, sessions.path / "device-1.trace");
  EXPECT_GT(trace->size, 0u);

  // Later steps go on in the file; what was asked stays what it was.
  ASSERT_EQ(steps("1", kTap).status, 200u);
  EXPECT_EQ(sliceText(*before), text);
  EXPECT_GT(session("1", "jsonl")->size, before->size);

  // A crash ends the session; the relaunch starts the next life's files beside it.
  signalDevice("1", SIGKILL);
  runUntil([&] { return first->heard("app", "crashed"); });
  bool refused = false;
  fleet.session("1", "jsonl", [&](const StepAnswer& refusal, const std::optional<SessionSlice>& slice) {
    refused = !slice && refusal.status == 409u;
  });
  EXPECT_TRUE(refused);
  ASSERT_EQ(steps("1", R"({"do":"relaunch"})").status, 200u);
  const auto firstLife = fileText(sessions.path / "device-1.jsonl");
  EXPECT_NE(firstLife.find("story"), std::string::npos) << "the tap before the crash is on disk";
  const auto secondLife = session("1", "jsonl");
  ASSERT_TRUE(secondLife);
  EXPECT_EQ(secondLife->file, sessions.path / "device-1-life-2.jsonl");
  const auto relaunched = sliceText(*secondLife);
  EXPECT_NE(relaunched.find(R"("do":"relaunch")"), std::string::npos) << relaunched;
  EXPECT_EQ(relaunched.find("reader-1"), std::string::npos) << "the first life's steps stay in its own file";
  EXPECT_TRUE(std::filesystem::exists(sessions.path / "device-1-life-2.trace"));
}

// The watchdog's clock is the test's: time passes for it only when a test says so, so a device
// is hung only where a test means it to be, however slow the machine.
// A base of its own, so that the clock is there before the fleet and after it: the fleet's last
// frames are heard while the fixture ends.
struct FakeClock {
  std::chrono::steady_clock::time_point now{};
};

class HungDeviceTest : protected FakeClock, public DeviceFleetTest {
 protected:
  HungDeviceTest() : DeviceFleetTest(FleetLimits{FleetLimits::kMostDevices, {10s, [this] { return now; }}}) {}
};

TEST_F(HungDeviceTest, IsNoticedWithoutAStepAndWhatWaitedHearsWhy) {
  open(first);
  ASSERT_EQ(steps("1", "[]").status, 200u);
  const auto pid = pidOf("1");
  signalDevice("1", SIGSTOP);

  // Steps wait, up to a bound; a flood of tab messages waits in the tab's own connection.
  std::vector<std::shared_ptr<std::optional<StepAnswer>>> waiting;
  for (std::size_t n = 0; n < DeviceFleet::kMostWaiting; ++n) waiting.push_back(send("1", kTap));
  const auto beyond = steps("1", kTap);
  EXPECT_EQ(beyond.status, 503u);
  EXPECT_NE(beyond.body.find("device 1 has 64 requests waiting"), std::string::npos) << beyond.body;
  std::size_t sent = 0;
  bool mayGoOn = true;
  while (mayGoOn && sent < 100) {
    mayGoOn = false;
    fleet.tabSaid("1", std::string(std::size_t{1} << 20, 'x'), [&] { mayGoOn = true; });
    ++sent;
  }
  EXPECT_EQ(sent, DeviceFleet::kTabBacklog >> 20) << "the tab is held back once a few MiB wait";

  // Nothing was asked of it since; its silence is enough.
  now += 11s;
  runUntil([&] { return first->heard("app", "crashed"); });
  const auto why = std::string(first->last("app")->at("why").as_string());
  EXPECT_EQ(why, "it gave no sign of life for 10 s, as if hung");
  runUntil([&] {
    return mayGoOn && std::all_of(waiting.begin(), waiting.end(), [](const auto& a) { return a->has_value(); });
  });
  for (const auto& answer : waiting) {
    EXPECT_EQ((*answer)->status, 500u);
    EXPECT_NE((*answer)->body.find("device 1 crashed on the way: " + why), std::string::npos) << (*answer)->body;
  }
  EXPECT_TRUE(fleet.faults().empty()) << "the playground killed it";

  // The clock stands still from here: the new process is never taken as hung, however slow.
  const auto relaunched = steps("1", R"({"do":"relaunch"})");
  EXPECT_EQ(relaunched.status, 200u) << relaunched.body;
  EXPECT_NE(pidOf("1"), pid);
}

// A stand-in for the device executable: a script that speaks frames and ends as a faulty device
// would.
class StandInFleetTest : public DeviceFleetTest {
 protected:
  static std::string script(const std::string& body) {
    static TempFolder folder;
    static int made = 0;
    const auto path = folder.path / ("device-" + std::to_string(++made) + ".sh");
    std::ofstream(path) << "#!/bin/sh\n" << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path.string();
  }
  explicit StandInFleetTest(const std::string& body) : DeviceFleetTest({}, script(body)) {}
};

// On its tab's "open" frame it writes a report and exits 3.
class FaultyDeviceTest : public StandInFleetTest {
 protected:
  FaultyDeviceTest()
      : StandInFleetTest(R"(printf 'ready 0 - 0\n' >&3
read -r kind ask arg length
echo "device: something went wrong" >&2
echo "device: at step 1" >&2
exit 3
)") {}
};

TEST_F(FaultyDeviceTest, ItsTabHearsItsLastErrorLinesAndTheFleetKeepsTheFault) {
  std::optional<std::string> failure = "not started";
  fleet.startFirstDevice([&](std::optional<std::string> why) { failure = std::move(why); });
  runUntil([&] { return !failure || *failure != "not started"; });
  ASSERT_FALSE(failure) << *failure;
  EXPECT_EQ(fleet.openTab(first, std::nullopt), "1");
  runUntil([&] { return first->heard("app", "crashed"); });
  const auto& crashed = *first->last("app");
  EXPECT_EQ(crashed.at("why").as_string(), "it exited with status 3");
  EXPECT_EQ(boost::json::serialize(crashed.at("errorOutput")),
            R"(["device: something went wrong","device: at step 1"])");
  EXPECT_EQ(fleet.faults(), std::vector<std::string>{"device 1: it exited with status 3"});
}

// It ends only once its input has, and then takes its time to write a report before exiting 1,
// as a device whose sanitizer found a leak does.
class SlowToEndDeviceTest : public StandInFleetTest {
 protected:
  SlowToEndDeviceTest()
      : StandInFleetTest(R"(printf 'ready 0 - 0\n' >&3
cat >/dev/null
i=0; while [ $i -lt 200 ]; do echo "report line $i" >&2; i=$((i+1)); done
echo "SUMMARY: leaked 24 bytes" >&2
exit 1
)") {}
};

TEST_F(SlowToEndDeviceTest, StoppingWaitsForItsReportAndKeepsItsFault) {
  std::optional<std::string> failure = "not started";
  fleet.startFirstDevice([&](std::optional<std::string> why) { failure = std::move(why); });
  runUntil([&] { return !failure || *failure != "not started"; });
  ASSERT_FALSE(failure) << *failure;
  fleet.stop();
  runUntil([&] { return !fleet.running(); });
  EXPECT_EQ(fleet.faults(), std::vector<std::string>{"device 1: it exited with status 1"})
      << "it ended on its own, not killed";
}

}  // namespace
}  // namespace pushwren::sim::playground
