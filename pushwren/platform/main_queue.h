#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "pushwren/export.h"

namespace boost::asio {
class io_context;
}  // namespace boost::asio

namespace pushwren {

// The main queue, run on the main thread. Blocks posted from any thread run on the main thread in
// the order they were posted. Work that runs elsewhere and will post back (a download in flight)
// is counted, so a host that drives the queue by hand can wait for it.
class PUSHWREN_EXPORT MainQueue {
 public:
  static MainQueue& shared();

  MainQueue();
  ~MainQueue();
  MainQueue(const MainQueue&) = delete;
  MainQueue& operator=(const MainQueue&) = delete;

  // The Boost.Asio io_context the queue is, for a host whose own loop is Asio (it includes
  // <boost/asio/io_context.hpp> itself to use it). Running it runs the queue's blocks.
  boost::asio::io_context& context();

  // dispatch_async onto the main queue.
  void dispatchAsync(std::function<void()> block);

  // Blocks posted before this call never run: the process that posted them has ended. For a host
  // that starts its app anew inside one process.
  void dropPending();

  // Runs every block that is ready, and those they post, until none is left. Main thread only.
  // Returns at once when the rest of the work is a download still in flight.
  std::size_t runUntilIdle();

  // Runs the queue until nothing is left to run and no outside work (a download) is in flight:
  // what a host without a loop of its own calls after showing the subscriptions screen. False
  // when the deadline came first; what is still in flight then goes on. Main thread only.
  bool runUntilSettled(std::chrono::steady_clock::time_point deadline);

  // Counts one piece of outside work from construction to destruction.
  class PUSHWREN_EXPORT OutsideWork {
   public:
    explicit OutsideWork(MainQueue& queue);
    ~OutsideWork();
    OutsideWork(const OutsideWork&) = delete;
    OutsideWork& operator=(const OutsideWork&) = delete;

   private:
    MainQueue& queue_;
  };

  int outsideWork() const;

  // Something happened since `seen` (a block was posted, outside work began or ended).
  std::uint64_t generation() const;
  // Waits until generation() differs from `seen`, or until the deadline; false on the deadline.
  bool waitForActivity(std::uint64_t seen, std::chrono::steady_clock::time_point deadline);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// dispatch_async(dispatch_get_main_queue(), block)
inline void dispatchAsyncMain(std::function<void()> block) {
  MainQueue::shared().dispatchAsync(std::move(block));
}

}  // namespace pushwren
