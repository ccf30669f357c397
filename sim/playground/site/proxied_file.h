#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sim/playground/devices/session_record.h"

namespace pushwren::sim::playground {

// What the playground at `address` ("127.0.0.1:PORT") answers a GET of `path` with: for a site
// it passes on to the site's server, the session's record asks again, as the device asked. Nothing
// when no answer comes within 10 s.
std::optional<ServedFile> fetchFromPlayground(const std::string& address, std::string_view path);

}  // namespace pushwren::sim::playground
