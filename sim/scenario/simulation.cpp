#include "sim/scenario/simulation.h"

#include <chrono>

#include "platform/log.h"
#include "platform/main_queue.h"
#include "platform/net/url_session.h"

namespace pushwren::sim {

Simulation::Simulation() : host_(trace_) {
  setLogSink([this](std::string_view line) { trace_.add("log", line); });
  setDataTaskStartObserver([this](const std::string& url) { trace_.add("http.get", url); });
  setDataTaskCompletionGate([this] { gate_.waitUntilOpen(); });
  setUIObserver(&ui_);
}

Simulation::~Simulation() {
  holdDownloads(false);
  // Held requests fail when the server goes; their outcomes still belong to this run, not to
  // whatever runs next in the process.
  server_.reset();
  settle();
  setDataTaskCompletionGate(nullptr);
  setDataTaskStartObserver(nullptr);
  setLogSink(nullptr);
  setUIObserver(nullptr);
}

void Simulation::runStep(const StepHandler& handler, const StepFields& step) {
  struct Reopen {
    Simulation& sim;
    ~Reopen() { sim.holdDownloads(false); }
  };
  {
    holdDownloads(true);
    const Reopen reopen{*this};
    handler(*this, step);
  }
  settle();
}

void Simulation::holdDownloads(bool hold) {
  // Downloads that never reach the server (a file URL, a refused connection) are held by the
  // gate in front of their completion handlers.
  gate_.setOpen(!hold);
  if (server_) server_->setGateOpen(!hold);
}

int Simulation::heldRequests() const { return server_ ? server_->heldRequests() : 0; }

void Simulation::settle() {
  auto& queue = MainQueue::shared();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  for (;;) {
    const auto seen = queue.generation();
    const auto ran = queue.runUntilIdle();
    // Settled once a whole pass ran nothing and only held downloads are left.
    if (queue.outsideWork() <= heldRequests()) {
      if (ran == 0) break;
      continue;
    }
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
