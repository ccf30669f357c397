#pragma once

#include <string>
#include <string_view>

#include <boost/beast/http/message.hpp>
#include <boost/beast/http/status.hpp>
#include <boost/beast/http/string_body.hpp>

namespace pushwren::sim::playground {

using StringResponse = boost::beast::http::response<boost::beast::http::string_body>;

// A response of the playground itself: no caching, no sniffing, `Server: pushwren-playground`.
StringResponse ownResponse(boost::beast::http::status status, unsigned version, bool keepAlive,
                           std::string_view contentType, std::string body);

// {"error": why}, for scripts and the shell.
StringResponse errorResponse(boost::beast::http::status status, unsigned version, bool keepAlive, std::string_view why);

// A short page for the web view: a heading and a sentence a person can act on.
StringResponse errorPage(boost::beast::http::status status, unsigned version, bool keepAlive, std::string_view heading,
                         std::string_view text);

std::string htmlEscaped(std::string_view text);

}  // namespace pushwren::sim::playground
