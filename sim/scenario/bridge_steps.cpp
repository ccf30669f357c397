// The page's bridge URLs.
#include "sim/scenario/simulation.h"

namespace pushwren::sim {

void addBridgeSteps(StepTable& table) {
  table["bridge"] = [](Simulation& sim, const StepFields& step) {
    const auto data = step.optionalObject("data").value_or(boost::json::object{});
    const bool load = sim.host().shouldLoadRequest(step.string("runner"), step.string("url"), data);
    sim.trace().add("return", load);
  };
}

}  // namespace pushwren::sim
