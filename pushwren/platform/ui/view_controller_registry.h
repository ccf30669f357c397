#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "pushwren/platform/ui/view_controller.h"

namespace pushwren {

// The view controller classes a storyboard can make, by class name. Code that owns such classes
// registers them when it is loaded. Safe from any thread.
using UIViewControllerFactory = std::function<std::shared_ptr<UIViewController>()>;

void registerViewControllerClass(std::string className, UIViewControllerFactory make);
// A new controller of that class, or none when no such class is registered.
std::shared_ptr<UIViewController> makeViewControllerOfClass(std::string_view className);

}  // namespace pushwren
