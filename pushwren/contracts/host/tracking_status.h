#pragma once

#include <string_view>

namespace pushwren {

// The host posts this on the default notification centre when the user's tracking consent
// changes; the notification's object is the consent flag.
inline constexpr std::string_view kCVAppTrackingStatusChangedNotification = "CVAppTrackingStatusChangedNotification";

}  // namespace pushwren
