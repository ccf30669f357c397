#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pushwren/contracts/host/event_emitter.h"
#include "pushwren/export.h"

namespace pushwren {

// How a module class makes its object. The host calls it once.
using CVModuleFactory = std::function<std::shared_ptr<CVEventEmitter>()>;

struct CVRegisteredModule {
  std::string className;
  CVModuleFactory make;
};

// Called by a module when its code is loaded into the process.
PUSHWREN_EXPORT void CVRegisterModule(std::string className, CVModuleFactory make);

// The modules registered so far, in the order they registered. Read by the host.
PUSHWREN_EXPORT std::vector<CVRegisteredModule> CVRegisteredModules();

}  // namespace pushwren
