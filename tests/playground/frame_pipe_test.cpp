// Frames over real pipes, both ends in this process.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sim/playground/devices/frame_pipe.h"
#include "tests/playground/run_io_until.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;

struct Ends {
  int read = -1;
  int write = -1;
};

Ends makePipe() {
  int ends[2];
  EXPECT_EQ(pipe2(ends, O_CLOEXEC), 0);
  return {ends[0], ends[1]};
}

// Two frame pipes facing each other, as the playground and a device do.
class FramePipeTest : public ::testing::Test {
 protected:
  FramePipeTest() {
    std::signal(SIGPIPE, SIG_IGN);
    const auto there = makePipe();
    const auto back = makePipe();
    near = std::make_shared<FramePipe>(io, back.read, there.write);
    far = std::make_shared<FramePipe>(io, there.read, back.write);
  }
  ~FramePipeTest() override {
    near->close();
    far->close();
  }
  void runUntil(const std::function<bool()>& done) { ASSERT_TRUE(runIoUntil(io, done, 60s)) << "gave up waiting"; }
  void listen(const std::shared_ptr<FramePipe>& pipe, std::vector<Frame>& frames, std::optional<std::string>& end) {
    pipe->start([&frames](Frame frame) { frames.push_back(std::move(frame)); },
                [&end](const std::string& why) { end = why; });
  }

  boost::asio::io_context io;
  std::shared_ptr<FramePipe> near, far;
  std::vector<Frame> nearHeard, farHeard;
  std::optional<std::string> nearEnd, farEnd;
};

TEST_F(FramePipeTest, CarriesFramesOfAnySizeInOrderBothWays) {
  listen(near, nearHeard, nearEnd);
  listen(far, farHeard, farEnd);
  // Larger than a pipe holds, so writes take several turns while more frames queue behind them.
  const std::vector<Frame> sent{{"said", 0, "-", std::string(3 << 20, 'a')},
                                {"steps", 7, "script", "line\nwith newline"},
                                {"open", 0, "-", ""},
                                {"said", 0, "-", std::string(100000, 'b')}};
  for (const auto& frame : sent) near->send(frame);
  far->send({"answer", 7, "200", "{}"});
  runUntil([&] { return farHeard.size() == sent.size() && nearHeard.size() == 1; });
  for (std::size_t n = 0; n < sent.size(); ++n) {
    EXPECT_EQ(farHeard[n].kind, sent[n].kind);
    EXPECT_EQ(farHeard[n].ask, sent[n].ask);
    EXPECT_EQ(farHeard[n].arg, sent[n].arg);
    EXPECT_EQ(farHeard[n].body, sent[n].body) << "frame " << n;
  }
  EXPECT_EQ(nearHeard[0].body, "{}");
  EXPECT_EQ(near->backlog(), 0u);
}

TEST_F(FramePipeTest, SaysWhenWhatWasSentHasBeenTakenAndWhenItEnds) {
  // The far side does not read yet: the backlog stays, and so does the wait.
  near->send({"said", 0, "-", std::string(2 << 20, 'x')});
  EXPECT_GT(near->backlog(), std::size_t{1} << 20);
  bool taken = false;
  near->afterWritten([&] { taken = true; });
  EXPECT_FALSE(taken) << "never inside the call";

  listen(far, farHeard, farEnd);
  runUntil([&] { return taken; });
  EXPECT_EQ(farHeard.size(), 1u);
  EXPECT_EQ(near->backlog(), 0u);
  bool atOnce = false;
  near->afterWritten([&] { atOnce = true; });
  runUntil([&] { return atOnce; });

  // Closing the written end delivers what is queued, then the end.
  near->send({"close", 0, "-", ""});
  near->closeWriting();
  runUntil([&] { return farEnd.has_value(); });
  EXPECT_EQ(farHeard.back().kind, "close");
  EXPECT_EQ(*farEnd, "") << "an end, not an error";
}

TEST_F(FramePipeTest, AWaitEndsWhenTheOtherSideHasGone) {
  near->send({"said", 0, "-", std::string(2 << 20, 'x')});
  bool released = false;
  near->afterWritten([&] { released = true; });
  // The reader goes away without reading: the write fails (no SIGPIPE), and whoever waited goes on.
  far->close();
  runUntil([&] { return released; });
  near->send({"said", 0, "-", "after"});
  bool again = false;
  near->afterWritten([&] { again = true; });
  runUntil([&] { return again; });
}

TEST_F(FramePipeTest, EndsWithWhyWhenTheStreamIsNotFrames) {
  const auto there = makePipe();
  const auto unused = makePipe();
  auto reader = std::make_shared<FramePipe>(io, there.read, unused.write);
  std::vector<Frame> heard;
  std::optional<std::string> end;
  listen(reader, heard, end);
  const std::string garbage = "not a frame header at all\n";
  ASSERT_EQ(::write(there.write, garbage.data(), garbage.size()), static_cast<ssize_t>(garbage.size()));
  runUntil([&] { return end.has_value(); });
  EXPECT_TRUE(heard.empty());
  EXPECT_NE(end->find("not a frame header"), std::string::npos) << *end;
  ::close(there.write);
  ::close(unused.read);
  reader->close();
}

}  // namespace
}  // namespace pushwren::sim::playground
