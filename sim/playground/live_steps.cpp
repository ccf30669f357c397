#include "sim/playground/live_steps.h"

#include <chrono>
#include <memory>

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/json/parse.hpp>
#include <boost/json/serialize.hpp>

#include "platform/main_queue.h"

namespace pushwren::sim::playground {
namespace {

using Clock = std::chrono::steady_clock;

// Each round posts a check behind everything queued so far. The queue has settled when a round
// saw nothing new posted and no download is in flight.
class Settler : public std::enable_shared_from_this<Settler> {
 public:
  Settler(boost::asio::io_context& io, Simulation& sim, const bool& stopping, std::function<void()> done)
      : io_(io),
        sim_(sim),
        stopping_(stopping),
        timer_(io),
        done_(std::move(done)),
        deadline_(Clock::now() + std::chrono::seconds(15)) {}

  void round() {
    seen_ = MainQueue::shared().generation();
    boost::asio::post(io_, [self = shared_from_this()] { self->check(); });
  }

 private:
  void check() {
    auto& queue = MainQueue::shared();
    const bool late = stopping_ || Clock::now() >= deadline_;
    if (!late && queue.outsideWork() > heldDownloads()) {
      timer_.expires_after(std::chrono::milliseconds(5));
      timer_.async_wait([self = shared_from_this()](boost::system::error_code) { self->round(); });
    } else if (!late && queue.generation() != seen_) {
      round();
    } else {
      done_();
    }
  }

  // A held request waits for a `release` step; it is not waited for.
  int heldDownloads() const {
    try {
      return sim_.server().heldRequests();
    } catch (const StepError&) {
      return 0;  // no scenario server, so nothing is held
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

StepAnswer refusal(std::string_view why) {
  return {400, boost::json::serialize(boost::json::object{{"error", why}})};
}

}  // namespace

void settleThen(boost::asio::io_context& io, Simulation& sim, const bool& stopping, std::function<void()> done) {
  std::make_shared<Settler>(io, sim, stopping, std::move(done))->round();
}

void applyLiveStep(boost::asio::io_context& io, Simulation& sim, std::string_view body, const bool& stopping,
                   std::function<void(StepAnswer)> answer) {
  boost::system::error_code ec;
  const auto step = boost::json::parse(body, ec);
  if (ec) return answer(refusal("not JSON: " + ec.message()));
  if (!step.is_object()) return answer(refusal("a step must be a JSON object"));

  const auto from = sim.trace().size();
  try {
    const StepFields fields(step.get_object());
    const auto name = fields.string("do");
    const auto& steps = allSteps();
    const auto found = steps.find(name);
    if (found == steps.end()) return answer(refusal("unknown step \"" + name + "\""));
    found->second(sim, fields);
  } catch (const std::exception& e) {
    return answer(refusal(e.what()));
  }

  settleThen(io, sim, stopping, [&sim, from, answer = std::move(answer)] {
    std::string lines;
    for (const auto& line : sim.trace().textLines(from)) lines += (lines.empty() ? "" : ",") + line;
    answer({200, R"({"trace":[)" + lines + "]}"});
  });
}

}  // namespace pushwren::sim::playground
