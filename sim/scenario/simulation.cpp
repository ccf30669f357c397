#include "sim/scenario/simulation.h"

#include "pushwren/platform/log.h"
#include "pushwren/platform/main_queue.h"
#include "pushwren/platform/net/url_session.h"

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

void Simulation::applyStep(const StepHandler& handler, const StepFields& step) {
  struct Reopen {
    Simulation& sim;
    ~Reopen() { sim.holdDownloads(false); }
  };
  holdDownloads(true);
  const Reopen reopen{*this};
  handler(*this, step);
}

void Simulation::runStep(const StepHandler& handler, const StepFields& step) {
  applyStep(handler, step);
  settle();
}

void Simulation::restartProcess() {
  // Handlers first: one that ran to the end could still queue work on the main queue.
  abandonDataTasksInFlight();
  MainQueue::shared().dropPending();
  ui_.forgetScreens();
  host_.restartProcess();
}

void Simulation::holdDownloads(bool hold) {
  // Downloads that never reach the server (a file URL, a refused connection) are held by the
  // gate in front of their completion handlers.
  gate_.setOpen(!hold);
  if (server_) server_->setGateOpen(!hold);
}

int Simulation::heldRequests() const { return server_ ? server_->heldRequests() : 0; }

bool Simulation::downloadsAwaited() const { return MainQueue::shared().outsideWork() > heldRequests(); }

}  // namespace pushwren::sim
