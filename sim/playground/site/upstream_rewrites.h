#pragma once

#include <string>
#include <string_view>

#include "sim/playground/site/site.h"

namespace pushwren::sim::playground {

// The site lives at the playground's origin, so what its server says about its own address is
// said again in the playground's terms.

// A Location that points at the site ("http://localhost:5173/a?b", "//localhost:5173/a") as a
// path of the playground's origin ("/a?b"); a path that starts with "//" keeps a leading "/."
// so that it cannot be read as the address of another host. Any other value is left as it is:
// a relative one already works, one naming another host, port, scheme or a user is not the site.
std::string locationForPlayground(std::string_view location, const UpstreamSite& site);

// A Set-Cookie value without its Domain attribute: the browser would refuse a cookie for the
// site's host on the playground's, so the cookie is kept for the host that serves the page.
std::string cookieForPlayground(std::string_view setCookie);

// A Content-Security-Policy without its frame-ancestors directive. On the device the page is the
// web view's own document; in the playground the web view is a frame of the shell, which a
// site's "frame-ancestors 'none'" (or X-Frame-Options: DENY, dropped with it) would leave blank.
std::string policyForWebView(std::string_view contentSecurityPolicy);

// A request's Origin or Referer from the playground's origin, as the site's server expects it
// from its own pages ("http://127.0.0.1:8080/x" -> "http://localhost:5173/x"). Others as they are.
std::string addressForSite(std::string_view value, std::string_view playgroundOrigin, const UpstreamSite& site);

}  // namespace pushwren::sim::playground
