// The playground's accept loop when the process runs out of file descriptors: it rests instead
// of spinning, and takes the waiting connection once descriptors are free again.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "tests/playground/site_fixture.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;

// Takes every free descriptor of the process, under a lowered limit, until released.
class DescriptorShortage {
 public:
  DescriptorShortage() {
    getrlimit(RLIMIT_NOFILE, &saved_);
    std::size_t open = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++open;
    rlimit lowered = saved_;
    lowered.rlim_cur = std::min<rlim_t>(saved_.rlim_cur, open + 64);
    setrlimit(RLIMIT_NOFILE, &lowered);
    for (int fd = dup(0); fd >= 0; fd = dup(0)) taken_.push_back(fd);
  }
  ~DescriptorShortage() { release(); }
  void release() {
    for (const int fd : taken_) ::close(fd);
    taken_.clear();
    setrlimit(RLIMIT_NOFILE, &saved_);
  }
  bool any() const { return !taken_.empty(); }

 private:
  rlimit saved_{};
  std::vector<int> taken_;
};

class AcceptLoop : public PlaygroundFixture {
 protected:
  void start(std::chrono::milliseconds pause) {
    ServerLimits limits;
    limits.acceptPause = pause;
    startPlayground(FolderSite{PUSHWREN_PLAYGROUND_WEB_DIR "/demo"}, limits);
  }
  // A connection the kernel has made and that waits in the listen queue, its request written.
  tcp::socket waitingClient() {
    auto socket = connect();
    const std::string request = "GET /__pushwren/devices HTTP/1.1\r\nHost: " + host() + "\r\n\r\n";
    asio::write(socket, asio::buffer(request));
    return socket;
  }
};

TEST_F(AcceptLoop, OutOfDescriptorsItRestsInsteadOfSpinning) {
  // A pause no test run reaches: once it has begun, nothing else may be ready to run.
  start(std::chrono::hours(1));
  auto client = waitingClient();
  DescriptorShortage shortage;
  ASSERT_TRUE(shortage.any());
  ASSERT_TRUE(runIoUntil(io, [&] { return server->acceptPaused(); }, 30s));
  for (int round = 0; round < 20; ++round) {
    EXPECT_EQ(io.poll(), 0u) << "the accept was tried again at once";
  }
  EXPECT_TRUE(server->acceptPaused());
  shortage.release();
}

TEST_F(AcceptLoop, TakesTheWaitingConnectionOnceDescriptorsAreFree) {
  start(10ms);
  auto client = waitingClient();
  {
    DescriptorShortage shortage;
    ASSERT_TRUE(shortage.any());
    ASSERT_TRUE(runIoUntil(io, [&] { return server->acceptPaused(); }, 30s));
  }
  const auto reply = runToEnd(io, exchange(client, "", false));
  EXPECT_EQ(reply.response.result(), http::status::ok);
  EXPECT_NE(reply.response.body().find("\"devices\""), std::string::npos) << reply.response.body();
}

}  // namespace
}  // namespace pushwren::sim::playground
