// The page's bridge URLs.
#include "sim/scenario/simulation.h"

namespace pushwren::sim {

void addBridgeSteps(StepTable& table) {
  table.push_back({"bridge",
                   {{"runner", "string"}, {"url", "string"}, {"data", "map", true}},
                   "the page asks to load a URL (shouldLoadRequestWithURL); its result is traced",
                   [](Simulation& sim, const StepFields& step) {
                     const auto runner = step.string("runner");
                     const auto url = step.string("url");
                     const auto data = step.optionalObject("data").value_or(boost::json::object{});
                     const bool load = sim.host().shouldLoadRequest(runner, url, data);
                     sim.trace().add("return", load);
                   }});
}

}  // namespace pushwren::sim
