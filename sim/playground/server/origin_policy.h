#pragma once

#include <optional>
#include <string_view>

namespace pushwren::sim::playground {

// The playground's own origin: its page as served on this port of the loopback interface,
// named by address or by "localhost".
bool isOwnOrigin(std::string_view origin, unsigned short port);

// Whether a WebSocket or POST /__pushwren/steps request may go on. A browser always names the
// page that sent the request; a request without an Origin header comes from a script or a tool,
// not from a page of another site, and is let through.
bool originAllowed(std::optional<std::string_view> origin, unsigned short port);

// Whether a request's Host header names this server ("127.0.0.1:PORT" or "localhost:PORT").
// Anything else is a request meant for another host (an open-proxy probe, or a page of another
// name rebinding to this address) and is refused.
bool isOwnHost(std::string_view host, unsigned short port);

}  // namespace pushwren::sim::playground
