// A device inside its own process: the requests it is sent and the session it keeps.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "pushwren/platform/main_queue.h"
#include "sim/playground/devices/live_device.h"
#include "tests/playground/run_io_until.h"
#include "tests/playground/temp_folder.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

// Steps whose trace lines name them: each answers a bridge call with callback NAME-N.
std::string calls(const std::string& name, int count) {
  std::string steps;
  for (int n = 0; n < count; ++n) {
    steps += R"({"do":"bridge","runner":"r1","url":"corvane://onesignal/tags/get","data":{"callback":")" + name +
             std::to_string(n) + "\"}}\n";
  }
  return steps;
}

class LiveDeviceTest : public ::testing::Test {
 protected:
  LiveDeviceTest() {
    EXPECT_FALSE(device.startSession("127.0.0.1:9", folder.path / "s.jsonl", folder.path / "s.trace"));
    const auto started = apply(R"({"do":"config","set":{"oneSignalV5Enabled":true,"oneSignalV5AppId":"app-1"}}
{"do":"launch"})");
    EXPECT_EQ(started.status, 200u) << started.body;
  }
  ~LiveDeviceTest() override {
    device.stop();
    MainQueue::shared().dropPending();
  }

  void runUntil(const std::function<bool()>& done) { ASSERT_TRUE(runIoUntil(io, done, 60s)) << "gave up waiting"; }
  StepAnswer apply(const std::string& body) {
    std::optional<StepAnswer> answer;
    device.applyStep(body, "script", [&](StepAnswer given) { answer = std::move(given); });
    runUntil([&] { return answer.has_value(); });
    return answer.value_or(StepAnswer{0, ""});
  }

  TempFolder folder;
  boost::asio::io_context& io = MainQueue::shared().context();
  Simulation sim;
  LiveDevice device{io, sim, {PUSHWREN_PLAYGROUND_WEB_DIR, std::nullopt, FolderSite{PUSHWREN_PLAYGROUND_WEB_DIR "/demo"}}};
};

TEST_F(LiveDeviceTest, RequestsRunOneAfterAnotherInTheOrderTheyCame) {
  std::vector<std::string> order;
  std::optional<StepAnswer> one, other;
  device.applyStep(calls("one-", 30), "script", [&](StepAnswer given) {
    order.emplace_back("one");
    one = std::move(given);
  });
  device.applyStep(calls("other-", 30), "panel", [&](StepAnswer given) {
    order.emplace_back("other");
    other = std::move(given);
  });
  runUntil([&] { return one && other; });
  EXPECT_EQ(order, (std::vector<std::string>{"one", "other"}));
  ASSERT_EQ(one->status, 200u) << one->body;
  ASSERT_EQ(other->status, 200u) << other->body;
  EXPECT_NE(one->body.find(R"("one-29")"), std::string::npos);
  EXPECT_EQ(one->body.find("other-"), std::string::npos) << "only its own steps' lines";
  EXPECT_NE(other->body.find(R"("other-29")"), std::string::npos);
  EXPECT_EQ(other->body.find("one-"), std::string::npos) << "only its own steps' lines";

  // A request refused as written does not hold up the ones behind it.
  std::optional<StepAnswer> refused, after;
  device.applyStep("{not json", "script", [&](StepAnswer given) { refused = std::move(given); });
  device.applyStep(calls("after-", 1), "script", [&](StepAnswer given) { after = std::move(given); });
  runUntil([&] { return refused && after; });
  EXPECT_EQ(refused->status, 400u);
  EXPECT_EQ(after->status, 200u);
}

TEST_F(LiveDeviceTest, SaysHowMuchOfItsSessionFilesIsTheSessionSoFar) {
  ASSERT_EQ(apply(calls("one-", 3)).status, 200u);
  const auto steps = device.session().stepsWritten();
  const auto trace = device.session().traceWritten();
  ASSERT_TRUE(steps && trace);
  EXPECT_EQ(fileText(folder.path / "s.jsonl"), device.session().steps());
  EXPECT_EQ(*steps, device.session().steps().size());
  EXPECT_EQ(fileText(folder.path / "s.trace").substr(0, *trace), device.session().traceText());
  EXPECT_NE(device.session().traceText().find("one-2"), std::string::npos);
}

}  // namespace
}  // namespace pushwren::sim::playground
