#pragma once

#include <string_view>

namespace pushwren::sim::playground {

// Whether the web view may follow a URL the plugin asks it to open: an absolute http or https
// URL, or a relative reference (resolved against the page). Any other scheme (javascript:,
// data:, file:) is refused, and so is a string that is not a well-formed URL, since a browser
// would read one with stray spaces or tabs in its own, looser way.
bool isFollowableNavigation(std::string_view url);

}  // namespace pushwren::sim::playground
