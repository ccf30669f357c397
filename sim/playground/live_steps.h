#pragma once

#include <functional>
#include <string>
#include <string_view>

#include <boost/asio/io_context.hpp>

#include "sim/scenario/simulation.h"

namespace pushwren::sim::playground {

// The answer to POST /steps: 200 with {"trace": [lines the step produced]}, or 400 with
// {"error": "what is wrong"} for a step that cannot run as written.
struct StepAnswer {
  unsigned status;
  std::string body;
};

// Applies one scenario step (a JSON object, as in a scenario file's line) to the live host, and
// answers once the main queue has settled: what the step set off has run, and any download it
// started has finished (at most 15 s). The queue keeps serving the tabs meanwhile.
// `stopping` cuts the wait short when the server stops.
void applyLiveStep(boost::asio::io_context& io, Simulation& sim, std::string_view body, const bool& stopping,
                   std::function<void(StepAnswer)> answer);

// Calls `done` on the main queue once it has run every block posted so far and those they post,
// and no download is in flight but those whose request the scenario server holds; or once 15 s
// have passed, or `stopping` is set.
void settleThen(boost::asio::io_context& io, Simulation& sim, const bool& stopping, std::function<void()> done);

}  // namespace pushwren::sim::playground
