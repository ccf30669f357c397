#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include <boost/asio/io_context.hpp>
#include <boost/json/object.hpp>

#include "sim/scenario/simulation.h"

namespace pushwren::sim::playground {

// The answer to POST /steps:
//   200 {"trace": [every line the steps produced], "steps": [[lines of step 1], ...]}
//   400 {"error": "what is wrong", ...} for steps that cannot run as written; when a later step of
//       several fails, the steps before it have run and the answer also carries their "trace"
//       and "steps", and "failedStep" (counted from 1).
struct StepAnswer {
  unsigned status;
  std::string body;
};

// Runs steps sent as one text (one step, a JSON array of steps, or JSON Lines) on the live
// device through the scenario runner's engine: each with its downloads held until its handler
// returns, then settled (see Simulation::settleThen) before the next one, and answers once the
// last has settled. A step that cannot run changes nothing; no step after it runs. The queue
// keeps serving the tabs meanwhile. `stopping` cuts the waits short when the server stops.
// `ran` hears of each step its handler accepted, with the index of its first trace line.
using StepRan = std::function<void(const boost::json::object& step, std::size_t firstLine)>;
void applyLiveSteps(boost::asio::io_context& io, Simulation& sim, std::string_view body, const bool& stopping,
                    StepRan ran, std::function<void(StepAnswer)> answer);

// GET /__pushwren/steps: every step with its fields and description, as JSON.
std::string stepListAnswer();

}  // namespace pushwren::sim::playground
