#include "pushwren/contracts/host/register_module.h"

#include "pushwren/platform/class_registry.h"

namespace pushwren {
namespace {

// Built on first use: modules register while the process loads, in no particular order with
// respect to other static objects.
ClassRegistry<CVModuleFactory>& registry() {
  static ClassRegistry<CVModuleFactory> instance;
  return instance;
}

}  // namespace

void CVRegisterModule(std::string className, CVModuleFactory make) {
  registry().add(std::move(className), std::move(make));
}

std::vector<CVRegisteredModule> CVRegisteredModules() {
  std::vector<CVRegisteredModule> modules;
  for (auto& entry : registry().entries()) modules.push_back({std::move(entry.className), std::move(entry.value)});
  return modules;
}

}  // namespace pushwren
