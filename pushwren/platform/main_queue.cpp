#include "pushwren/platform/main_queue.h"

#include <boost/asio/post.hpp>

namespace pushwren {

MainQueue& MainQueue::shared() {
  static MainQueue queue;
  return queue;
}

void MainQueue::dispatchAsync(std::function<void()> block) {
  boost::asio::post(io_, [this, era = era_.load(), block = std::move(block)] {
    if (era == era_.load()) block();
  });
  touch();
}

std::size_t MainQueue::runUntilIdle() {
  std::size_t ran = 0;
  // poll() stops the context whenever it runs out of work; restart it for blocks posted since.
  for (;;) {
    io_.restart();
    const std::size_t now = io_.poll();
    if (now == 0) return ran;
    ran += now;
  }
}

MainQueue::OutsideWork::OutsideWork(MainQueue& queue) : queue_(queue) {
  ++queue_.outside_;
  queue_.touch();
}

MainQueue::OutsideWork::~OutsideWork() {
  --queue_.outside_;
  queue_.touch();
}

std::uint64_t MainQueue::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

bool MainQueue::waitForActivity(std::uint64_t seen, std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  return changed_.wait_until(lock, deadline, [&] { return generation_ != seen; });
}

void MainQueue::touch() {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
  }
  changed_.notify_all();
}

}  // namespace pushwren
