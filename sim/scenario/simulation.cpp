#include "sim/scenario/simulation.h"

#include <chrono>

#include "platform/main_queue.h"

namespace pushwren::sim {

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
    addScreenSteps(built);
    return built;
  }();
  return table;
}

}  // namespace pushwren::sim
