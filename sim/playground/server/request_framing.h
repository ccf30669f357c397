#pragma once

#include <optional>
#include <string>

#include <boost/beast/http/message.hpp>

namespace pushwren::sim::playground {

// Why a request's body cannot be told apart from the next request, or nothing when its length
// is plain: a Transfer-Encoding that is anything but a single "chunked" ("chunked, identity",
// "identity", "xchunked"), one in an HTTP/1.0 request, or Transfer-Encoding beside
// Content-Length. Servers behind a proxy may read such a request another way than the proxy
// did, so it is refused with 400 and its connection closed, never passed on.
std::optional<std::string> framingFault(const boost::beast::http::request_header<>& request);

}  // namespace pushwren::sim::playground
