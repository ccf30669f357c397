#include "platform/ui/view_controller_registry.h"

#include <map>
#include <mutex>

namespace pushwren {
namespace {

struct Registry {
  std::mutex mutex;
  std::map<std::string, UIViewControllerFactory, std::less<>> factories;
};

Registry& registry() {
  static Registry shared;
  return shared;
}

}  // namespace

void registerViewControllerClass(std::string className, UIViewControllerFactory make) {
  auto& shared = registry();
  std::lock_guard lock(shared.mutex);
  shared.factories[std::move(className)] = std::move(make);
}

std::shared_ptr<UIViewController> makeViewControllerOfClass(std::string_view className) {
  UIViewControllerFactory make;
  {
    auto& shared = registry();
    std::lock_guard lock(shared.mutex);
    const auto found = shared.factories.find(className);
    if (found == shared.factories.end()) return nullptr;
    make = found->second;
  }
  return make ? make() : nullptr;
}

}  // namespace pushwren
