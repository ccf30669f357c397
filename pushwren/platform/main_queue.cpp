#include "pushwren/platform/main_queue.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>

namespace pushwren {

struct MainQueue::State {
  void touch() {
    {
      std::lock_guard lock(mutex);
      ++generation;
    }
    changed.notify_all();
  }

  boost::asio::io_context io;
  std::atomic<int> outside{0};
  std::atomic<std::uint64_t> era{0};  // advanced by dropPending()
  mutable std::mutex mutex;
  std::condition_variable changed;
  std::uint64_t generation = 0;
};

MainQueue& MainQueue::shared() {
  static MainQueue queue;
  return queue;
}

MainQueue::MainQueue() : state_(std::make_unique<State>()) {}

MainQueue::~MainQueue() = default;

boost::asio::io_context& MainQueue::context() { return state_->io; }

void MainQueue::dispatchAsync(std::function<void()> block) {
  auto& state = *state_;
  boost::asio::post(state.io, [&state, era = state.era.load(), block = std::move(block)] {
    if (era == state.era.load()) block();
  });
  state.touch();
}

void MainQueue::dropPending() { ++state_->era; }

std::size_t MainQueue::runUntilIdle() {
  auto& io = state_->io;
  std::size_t ran = 0;
  // poll() stops the context whenever it runs out of work; restart it for blocks posted since.
  for (;;) {
    io.restart();
    const std::size_t now = io.poll();
    if (now == 0) return ran;
    ran += now;
  }
}

bool MainQueue::runUntilSettled(std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto seen = generation();
    // Read before the run: outside work posts its last block before it stops counting, so work
    // seen finished here has nothing left that this run would miss.
    const bool outsideDone = outsideWork() == 0;
    if (runUntilIdle() > 0) continue;
    if (outsideDone) return true;
    if (!waitForActivity(seen, deadline)) return false;
  }
}

MainQueue::OutsideWork::OutsideWork(MainQueue& queue) : queue_(queue) {
  ++queue_.state_->outside;
  queue_.state_->touch();
}

MainQueue::OutsideWork::~OutsideWork() {
  --queue_.state_->outside;
  queue_.state_->touch();
}

int MainQueue::outsideWork() const { return state_->outside.load(); }

std::uint64_t MainQueue::generation() const {
  std::lock_guard lock(state_->mutex);
  return state_->generation;
}

bool MainQueue::waitForActivity(std::uint64_t seen, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_until(lock, deadline, [&] { return state_->generation != seen; });
}

}  // namespace pushwren
