#include "pushwren/platform/ui/view_controller_registry.h"

#include "pushwren/platform/class_registry.h"

namespace pushwren {
namespace {

ClassRegistry<UIViewControllerFactory>& registry() {
  static ClassRegistry<UIViewControllerFactory> shared;
  return shared;
}

}  // namespace

void registerViewControllerClass(std::string className, UIViewControllerFactory make) {
  registry().add(std::move(className), std::move(make));
}

std::shared_ptr<UIViewController> makeViewControllerOfClass(std::string_view className) {
  const auto make = registry().find(className);
  return make && *make ? (*make)() : nullptr;
}

}  // namespace pushwren
