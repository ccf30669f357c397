#pragma once

#include <optional>
#include <string_view>

#include "pushwren/subscriptions/CVPushwrenSubscriptionsModel.h"

namespace pushwren {

// The sections of a manifest's JSON text (UTF-8). None when the text is not one JSON value whose
// top level is an object or an array, or nests deeper than 512 levels. Read from the document:
// the "sections" list of a top-level object (none there, or not a list: no sections); each
// section object's "name" (a string, else absent) and "items" list; each item object's
// "identifier" and "name". Entries of the wrong kind are skipped, other keys ignored, and of a key
// given twice in one object the last one counts.
std::optional<CVPushwrenSubscriptionsSections> readManifestSections(std::string_view text);

}  // namespace pushwren
