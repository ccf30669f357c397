#pragma once

#include <optional>
#include <string_view>

#include "pushwren/platform/net/url_session.h"

namespace pushwren {

// Why a URL cannot be fetched at all, or none when it may be handed to the transfer: it is empty,
// has blanks or control characters, has no scheme, has a scheme other than http, https or file,
// or is a file URL that names no regular file (a pipe or a device would block the transfer
// thread for good).
std::optional<URLError> unusableURL(std::string_view url);

}  // namespace pushwren
