#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include <boost/asio/io_context.hpp>

namespace pushwren {

// The main queue: an io_context run on the main thread. Blocks posted from any thread run on the
// main thread in the order they were posted. Work that runs elsewhere and will post back (a
// download in flight) is counted, so a host that drives the queue by hand can wait for it.
class MainQueue {
 public:
  static MainQueue& shared();

  boost::asio::io_context& context() { return io_; }

  // dispatch_async onto the main queue.
  void dispatchAsync(std::function<void()> block);

  // Blocks posted before this call never run: the process that posted them has ended. For a host
  // that starts its app anew inside one process.
  void dropPending() { ++era_; }

  // Runs every block that is ready, and those they post, until none is left. Main thread only.
  std::size_t runUntilIdle();

  // Counts one piece of outside work from construction to destruction.
  class OutsideWork {
   public:
    explicit OutsideWork(MainQueue& queue);
    ~OutsideWork();
    OutsideWork(const OutsideWork&) = delete;
    OutsideWork& operator=(const OutsideWork&) = delete;

   private:
    MainQueue& queue_;
  };

  int outsideWork() const { return outside_.load(); }

  // Something happened since `seen` (a block was posted, outside work began or ended).
  std::uint64_t generation() const;
  // Waits until generation() differs from `seen`, or until the deadline; false on the deadline.
  bool waitForActivity(std::uint64_t seen, std::chrono::steady_clock::time_point deadline);

 private:
  void touch();

  boost::asio::io_context io_;
  std::atomic<int> outside_{0};
  std::atomic<std::uint64_t> era_{0};  // advanced by dropPending()
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t generation_ = 0;
};

// dispatch_async(dispatch_get_main_queue(), block)
inline void dispatchAsyncMain(std::function<void()> block) {
  MainQueue::shared().dispatchAsync(std::move(block));
}

}  // namespace pushwren
