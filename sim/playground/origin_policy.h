#pragma once

#include <optional>
#include <string_view>

namespace pushwren::sim::playground {

// The playground's own origin: its page as served on this port of the loopback interface,
// named by address or by "localhost".
bool isOwnOrigin(std::string_view origin, unsigned short port);

// Whether a WebSocket or POST /steps request may go on. A browser always names the page that
// sent the request; a request without an Origin header comes from a script or a tool, not from a
// page of another site, and is let through.
bool originAllowed(std::optional<std::string_view> origin, unsigned short port);

}  // namespace pushwren::sim::playground
