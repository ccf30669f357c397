#include "sim/scenario/simulation.h"

#include <chrono>

#include "platform/log.h"
#include "platform/main_queue.h"

namespace pushwren::sim {

Simulation::Simulation() : host_(trace_) {
  setLogSink([this](std::string_view line) { trace_.add("log", line); });
}

Simulation::~Simulation() { setLogSink(nullptr); }

void Simulation::settle() {
  auto& queue = MainQueue::shared();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  for (;;) {
    const auto seen = queue.generation();
    queue.runUntilIdle();
    if (queue.outsideWork() == 0) break;
    if (!queue.waitForActivity(seen, deadline)) break;
  }
  queue.runUntilIdle();
}

const StepTable& allSteps() {
  static const StepTable table = [] {
    StepTable built;
    addHostSteps(built);
    addEventSteps(built);
    addBridgeSteps(built);
    addServerSteps(built);
    addScreenSteps(built);
    return built;
  }();
  return table;
}

}  // namespace pushwren::sim
