#include "sim/playground/server/http_responses.h"

#include <boost/json/serialize.hpp>

namespace pushwren::sim::playground {
namespace http = boost::beast::http;

StringResponse ownResponse(http::status status, unsigned version, bool keepAlive, std::string_view contentType,
                           std::string body) {
  StringResponse response{status, version};
  response.set(http::field::server, "pushwren-playground");
  response.set(http::field::content_type, contentType);
  response.set(http::field::cache_control, "no-store");
  response.set("X-Content-Type-Options", "nosniff");
  response.keep_alive(keepAlive);
  response.body() = std::move(body);
  response.prepare_payload();
  return response;
}

StringResponse errorResponse(http::status status, unsigned version, bool keepAlive, std::string_view why) {
  return ownResponse(status, version, keepAlive, "application/json",
                     boost::json::serialize(boost::json::object{{"error", why}}));
}

StringResponse errorPage(http::status status, unsigned version, bool keepAlive, std::string_view heading,
                         std::string_view text) {
  std::string page = "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\"><title>" + htmlEscaped(heading) +
                     "</title><style>body{font:15px system-ui,sans-serif;margin:2em;color:#333}"
                     "h1{font-size:1.2em;color:#b00020}</style></head>\n<body><h1 id=\"pushwren-error\">" +
                     htmlEscaped(heading) + "</h1><p>" + htmlEscaped(text) + "</p></body></html>\n";
  auto response = ownResponse(status, version, keepAlive, "text/html; charset=utf-8", std::move(page));
  response.set("Content-Security-Policy", "default-src 'none'; style-src 'unsafe-inline'");
  return response;
}

std::string htmlEscaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace pushwren::sim::playground
