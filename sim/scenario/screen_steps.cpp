// Steps that operate the subscriptions screen (placeholder until the screen lands).
#include "sim/scenario/simulation.h"

namespace pushwren::sim {

void addScreenSteps(StepTable&) {}

}  // namespace pushwren::sim
