// The runner's own HTTP server, started the first time a step needs it.
#include "pushwren/platform/main_queue.h"
#include "sim/scenario/simulation.h"

namespace pushwren::sim {

ScenarioServer& Simulation::server() {
  if (!server_) {
    // A request that becomes held ends the wait of settle(): posting to the main queue wakes it.
    auto server = std::make_unique<ScenarioServer>([] { dispatchAsyncMain([] {}); });
    if (!server->failure().empty()) throw StepError("the scenario server cannot start: " + server->failure());
    server->setGateOpen(gate_.isOpen());
    trace_.setServerAddress(server->address());
    server_ = std::move(server);
  }
  return *server_;
}

std::string Simulation::serverAddress() { return server().address(); }

}  // namespace pushwren::sim
