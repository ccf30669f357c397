// Placeholder until the scenario server lands: no server, so "{server}" has no address.
#include "sim/scenario/simulation.h"

namespace pushwren::sim {

std::string Simulation::serverAddress() { return "127.0.0.1:0"; }

void addServerSteps(StepTable&) {}

}  // namespace pushwren::sim
