#pragma once

#include <boost/beast/http/fields.hpp>

#include "sim/playground/site/site.h"

namespace pushwren::sim::playground {

// Drops the fields that describe one connection, not the message, before a message goes on to
// the other side: Connection and every field it names, and the standard ones (Keep-Alive,
// Proxy-Connection, Proxy-Authorization, TE, Upgrade). A Connection header cannot take away
// what frames the message or names its host (Content-Length, Transfer-Encoding, Host): each
// side reads the message's length from them.
void dropHopByHop(boost::beast::http::fields& fields);

// A site's response header said again in the playground's terms (upstream_rewrites.h): its
// Location and cookies name the playground's origin, and nothing keeps the page out of the
// web view's frame (frame-ancestors, X-Frame-Options).
void rewriteForPlayground(boost::beast::http::fields& response, const UpstreamSite& site);

}  // namespace pushwren::sim::playground
