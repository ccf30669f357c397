#pragma once

#include <boost/json/array.hpp>

#include "pushwren/platform/ui/view_controller.h"

namespace pushwren::sim::playground {

// The native screens presented from a runner, innermost last, as a tab draws them: each with its
// class name, its views, and the alert shown over it (or null).
//   {"className": "...", "views": [view, ...], "alert": {"title", "message", "buttons": [...]}}
// A view is {"class", "identifier", "hidden"} plus, by class: "text" (UILabel), "title"
// (UIButton), "on" (UISwitch), "animating" (UIActivityIndicatorView), "sections" with their
// "title" and "rows" of {"label", "on" (null: no switch)} (UITableView), "views" (any other).
// Views that have not loaded are not loaded for this.
boost::json::array presentedScreens(const UIViewController& runner);

}  // namespace pushwren::sim::playground
