#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pushwren/contracts/host/javascript_runner.h"

namespace pushwren::sim::playground {

// A name the host may call in the page: identifiers joined by dots ("a.b.c"), each a JavaScript
// identifier of ASCII letters, digits, "_" and "$" not starting with a digit. Nothing else can
// reach the page as a name, so a callback can never carry script.
bool isCallbackPath(std::string_view name);

// The page functions a callback names, in order: one name, or a list of names. Whatever is not
// a callback path (a number, a map, a name with brackets or spaces) is refused, shown as JSON.
struct PageFunctions {
  std::vector<std::string> names;
  std::vector<std::string> refused;
};
PageFunctions pageFunctions(const CallbackName& callback);

}  // namespace pushwren::sim::playground
