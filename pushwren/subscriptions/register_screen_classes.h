#pragma once

namespace pushwren {

// Registers the subscriptions screen's view controller classes, which its storyboard names, once;
// later calls do nothing. Runs when the code is loaded, and from CVPushwren::load() for a host
// linked with the static library, where nothing else would pull this code in.
void registerSubscriptionsScreenClasses();

}  // namespace pushwren
