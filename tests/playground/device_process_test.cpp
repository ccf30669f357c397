#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/playground/devices/device_process.h"
#include "tests/playground/run_io_until.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;

// A stand-in device: a shell script that speaks frames on descriptor 3.
std::vector<std::string> script(const std::string& text) { return {"/bin/sh", "-c", text}; }

class DeviceProcessTest : public ::testing::Test {
 protected:
  // The clock the watchdog reads: time passes only when a test says so.
  std::chrono::steady_clock::time_point now{};
  Liveness liveness{10s, [this] { return now; }};

  std::shared_ptr<DeviceProcess> start(const std::string& text) {
    auto process = std::make_shared<DeviceProcess>(io, "device 9", liveness);
    const auto problem = process->start(script(text), {[this] { ready = true; },
                                                       [this](std::string message) { pages.push_back(std::move(message)); },
                                                       [this](const std::string& why) { ended = why; }});
    EXPECT_FALSE(problem) << *problem;
    return process;
  }
  void runUntil(const std::function<bool()>& done) { ASSERT_TRUE(runIoUntil(io, done, 20s)) << "gave up waiting"; }

  boost::asio::io_context io;
  bool ready = false;
  std::vector<std::string> pages;
  std::optional<std::string> ended;
};

TEST_F(DeviceProcessTest, PassesFramesBothWays) {
  // Answers each question with its own argument, then ends when its input does.
  const auto process = start(R"(printf 'ready 0 - 0\npage 0 - 5\nhello' >&3
    while read -r kind ask arg length; do
      body=$(head -c "$length")
      printf 'answer %s 200 %s\n%s' "$ask" "${#body}" "$body" >&3
    done)");
  std::optional<Frame> answer;
  process->ask({"steps", 0, "script", R"({"do":"launch"})"}, [&](std::optional<Frame> heard) { answer = std::move(heard); });
  runUntil([&] { return answer.has_value(); });
  EXPECT_TRUE(ready);
  EXPECT_EQ(pages, std::vector<std::string>{"hello"});
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->arg, "200");
  EXPECT_EQ(answer->body, R"({"do":"launch"})");
  process->finish(5s);
  runUntil([&] { return ended.has_value(); });
  EXPECT_EQ(*ended, "it exited");
}

TEST_F(DeviceProcessTest, ThatDiesSaysHowWithItsLastErrorLines) {
  struct Case {
    const char* script;
    const char* why;
    bool fault;  // of its own, rather than the SIGKILL a person or the playground sends
  };
  for (const auto& c : {Case{"exit 0", "it exited", false},
                        Case{"echo first >&2; echo 'last words' >&2; exit 3", "it exited with status 3", true},
                        Case{"echo 'about to go' >&2; kill -SEGV $$", "it was killed by signal 11", true},
                        Case{"kill -KILL $$", "it was killed by signal 9", false},
                        Case{"printf 'not frames at all\\n' >&3; sleep 30", "it wrote what is not a frame", false}}) {
    ended.reset();
    const auto process = start(c.script);
    runUntil([&] { return ended.has_value(); });
    EXPECT_NE(ended->find(c.why), std::string::npos) << *ended;
    EXPECT_FALSE(process->running());
    EXPECT_EQ(process->endedInFault(), c.fault) << c.script;
  }
  std::optional<Frame> late = Frame{};
  const auto process = start("echo first >&2; echo 'last words' >&2; exit 3");
  runUntil([&] { return !process->running(); });
  EXPECT_EQ(process->lastErrorLines(), (std::deque<std::string>{"first", "last words"}));
  process->ask({"steps", 0, "script", "{}"}, [&](std::optional<Frame> heard) { late = std::move(heard); });
  EXPECT_FALSE(late) << "an ended process answers nothing, at once";
}

// A device in the middle of a long step: it answers its question only when the tab says
// "finish", and answers anything else the tab says on the page, a sign of life the test sees.
constexpr const char* kLongStep = R"(printf 'ready 0 - 0\n' >&3
    while read -r kind ask arg length; do
      body=$(head -c "$length")
      if [ "$kind" = steps ]; then question=$ask
      elif [ "$body" = finish ]; then printf 'answer %s 200 4\ndone' "$question" >&3
      else printf 'page 0 - 5\nalive' >&3; fi
    done)";

TEST_F(DeviceProcessTest, ThatWorksLongerThanTheLimitIsWaitedForWhileItGivesSignsOfLife) {
  const auto process = start(kLongStep);
  std::optional<Frame> answer;
  process->ask({"steps", 0, "script", "{}"}, [&](std::optional<Frame> heard) { answer = std::move(heard); });
  // Three times the limit passes while the step runs, with a sign of life within each limit.
  for (int round = 0; round < 6; ++round) {
    const auto before = pages.size();
    process->send({"said", 0, "-", "ping"});
    runUntil([&] { return pages.size() > before || ended.has_value(); });
    ASSERT_FALSE(ended) << *ended;
    now += 5s;
  }
  process->send({"said", 0, "-", "finish"});
  runUntil([&] { return answer.has_value() || ended.has_value(); });
  ASSERT_TRUE(answer) << ended.value_or("");
  EXPECT_EQ(answer->body, "done");
  EXPECT_TRUE(process->running());
  process->finish(30s);
  runUntil([&] { return ended.has_value(); });
  EXPECT_EQ(*ended, "it exited");
}

TEST_F(DeviceProcessTest, ThatGivesNoSignOfLifeIsKilledAsHungAndWhatWaitedHearsNothing) {
  const auto process = start("printf 'ready 0 - 0\\n' >&3; exec sleep 60");
  runUntil([&] { return ready; });
  std::optional<Frame> answer = Frame{};
  bool answered = false;
  process->ask({"steps", 0, "script", "{}"}, [&](std::optional<Frame> heard) {
    answered = true;
    answer = std::move(heard);
  });
  bool readOn = false;
  process->send({"said", 0, "-", std::string(std::size_t{1} << 20, 'x')});
  process->afterRead([&] { readOn = true; });
  now += 11s;
  runUntil([&] { return ended.has_value(); });
  EXPECT_EQ(*ended, "it gave no sign of life for 10 s, as if hung");
  EXPECT_TRUE(answered);
  EXPECT_FALSE(answer);
  runUntil([&] { return readOn; });
  EXPECT_FALSE(process->endedInFault()) << "the playground killed it";
}

TEST_F(DeviceProcessTest, AskedToEndIsGivenItsGraceAndItsLastWordsAreKept) {
  // It ends once its input does, with a report on its way out, as a sanitizer's is.
  const auto process = start(R"(printf 'ready 0 - 0\n' >&3; cat >/dev/null
    echo 'ERROR: LeakSanitizer: detected memory leaks' >&2; echo 'SUMMARY: 24 bytes leaked' >&2; exit 23)");
  runUntil([&] { return ready; });
  process->finish(60s);
  // However long the machine takes to end it: the watchdog no longer counts once it is asked.
  now += 1h;
  runUntil([&] { return ended.has_value(); });
  EXPECT_EQ(*ended, "it exited with status 23");
  EXPECT_TRUE(process->endedInFault());
  EXPECT_EQ(process->lastErrorLines(),
            (std::deque<std::string>{"ERROR: LeakSanitizer: detected memory leaks", "SUMMARY: 24 bytes leaked"}));
}

TEST_F(DeviceProcessTest, KeepsOnlyTheLastErrorLinesEachCut) {
  const auto process = start("i=0; while [ $i -lt 50 ]; do echo \"line $i\" >&2; i=$((i+1)); done;"
                             "head -c 5000 /dev/zero | tr '\\0' x >&2; echo >&2; exit 1");
  runUntil([&] { return ended.has_value(); });
  const auto& lines = process->lastErrorLines();
  ASSERT_EQ(lines.size(), DeviceProcess::kErrorLinesKept);
  EXPECT_EQ(lines.front(), "line 31");
  EXPECT_EQ(lines.back(), std::string(1000, 'x'));
}

TEST_F(DeviceProcessTest, ThatCannotBeStartedSaysWhy) {
  DeviceProcess process(io, "device 9");
  const auto problem = process.start({"/nonexistent/pushwren-sim", "device"}, {});
  ASSERT_TRUE(problem);
  EXPECT_EQ(*problem, "/nonexistent/pushwren-sim cannot be started: No such file or directory");
  EXPECT_FALSE(process.running());
}

}  // namespace
}  // namespace pushwren::sim::playground
