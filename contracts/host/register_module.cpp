#include "contracts/host/register_module.h"

#include <mutex>

namespace pushwren {
namespace {

struct Registry {
  std::mutex mutex;
  std::vector<CVRegisteredModule> modules;
};

// Built on first use: modules register while the process loads, in no particular order with
// respect to other static objects.
Registry& registry() {
  static Registry instance;
  return instance;
}

}  // namespace

void CVRegisterModule(std::string className, CVModuleFactory make) {
  std::lock_guard lock(registry().mutex);
  registry().modules.push_back({std::move(className), std::move(make)});
}

std::vector<CVRegisteredModule> CVRegisteredModules() {
  std::lock_guard lock(registry().mutex);
  return registry().modules;
}

}  // namespace pushwren
