// Settling after a step, by the same rule whoever drives the main queue.
#include <memory>
#include <string>

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include "pushwren/platform/main_queue.h"
#include "sim/scenario/simulation.h"

namespace pushwren::sim {

void Simulation::settle() {
  auto& queue = MainQueue::shared();
  const auto deadline = std::chrono::steady_clock::now() + settleLimit_;
  for (;;) {
    const auto seen = queue.generation();
    const auto ran = queue.runUntilIdle();
    // Settled once a whole pass ran nothing and only held downloads are left.
    if (!downloadsAwaited()) {
      if (ran == 0) break;
      continue;
    }
    if (!queue.waitForActivity(seen, deadline)) {
      traceSettleGaveUp();
      break;
    }
  }
  queue.runUntilIdle();
}

void Simulation::traceSettleGaveUp() {
  const auto limit = settleLimit_.count() % 1000 == 0 ? std::to_string(settleLimit_.count() / 1000) + " s"
                                                       : std::to_string(settleLimit_.count()) + " ms";
  trace_.add("settle.gaveUp", "a download was still in flight after " + limit +
                                  "; its outcome comes after the steps that follow");
}

// Each round posts a check behind everything queued so far. The queue has settled when a round
// saw nothing new posted and no download is awaited.
class AsyncSettler : public std::enable_shared_from_this<AsyncSettler> {
 public:
  using Clock = std::chrono::steady_clock;

  AsyncSettler(boost::asio::io_context& io, Simulation& sim, const bool& stopping, std::function<void()> done)
      : io_(io),
        sim_(sim),
        stopping_(stopping),
        timer_(io),
        done_(std::move(done)),
        deadline_(Clock::now() + sim.settleLimit()) {}

  void round() {
    seen_ = MainQueue::shared().generation();
    boost::asio::post(io_, [self = shared_from_this()] { self->check(); });
  }

 private:
  void check() {
    if (!stopping_ && Clock::now() >= deadline_ && sim_.downloadsAwaited()) sim_.traceSettleGaveUp();
    const bool late = stopping_ || Clock::now() >= deadline_;
    if (!late && sim_.downloadsAwaited()) {
      timer_.expires_after(std::chrono::milliseconds(5));
      timer_.async_wait([self = shared_from_this()](boost::system::error_code) { self->round(); });
    } else if (!late && MainQueue::shared().generation() != seen_) {
      round();
    } else {
      done_();
    }
  }

  boost::asio::io_context& io_;
  Simulation& sim_;
  const bool& stopping_;
  boost::asio::steady_timer timer_;
  std::function<void()> done_;
  Clock::time_point deadline_;
  std::uint64_t seen_ = 0;
};

void Simulation::settleThen(boost::asio::io_context& io, const bool& stopping, std::function<void()> done) {
  std::make_shared<AsyncSettler>(io, *this, stopping, std::move(done))->round();
}

}  // namespace pushwren::sim
