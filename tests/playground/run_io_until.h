#pragma once

#include <chrono>
#include <functional>

#include <boost/asio/io_context.hpp>

namespace pushwren::sim::playground {

// Runs `io` until `done` holds or `limit` has passed; whether it holds.
inline bool runIoUntil(boost::asio::io_context& io, const std::function<bool()>& done,
                       std::chrono::seconds limit) {
  const auto giveUp = std::chrono::steady_clock::now() + limit;
  while (!done() && std::chrono::steady_clock::now() < giveUp) {
    // A queue that ran out of work stays stopped until restarted.
    if (io.stopped()) io.restart();
    io.run_one_for(std::chrono::milliseconds(50));
  }
  return done();
}

}  // namespace pushwren::sim::playground
