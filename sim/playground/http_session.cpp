#include "sim/playground/http_session.h"

#include <chrono>
#include <fstream>
#include <sstream>

#include <boost/beast/core/bind_handler.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>
#include <boost/json/serialize.hpp>

#include "sim/playground/origin_policy.h"
#include "sim/playground/static_files.h"
#include "sim/playground/websocket_session.h"

namespace pushwren::sim::playground {
namespace beast = boost::beast;
namespace http = beast::http;

namespace {

// A step is one small JSON object.
constexpr std::size_t kLargestBody = 1 << 20;

// The pages run only their own scripts: no inline script, no eval, no javascript: URLs. The web
// view may show any http(s) page; nothing else may frame the playground.
constexpr std::string_view kContentSecurityPolicy =
    "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "frame-src 'self' http: https:; frame-ancestors 'self'; object-src 'none'; base-uri 'none'; form-action 'self'";

std::optional<std::string_view> originOf(const HttpSession::Request& request) {
  const auto found = request.find(http::field::origin);
  if (found == request.end()) return std::nullopt;
  return std::string_view(found->value().data(), found->value().size());
}

HttpSession::Response makeResponse(const HttpSession::Request& request, http::status status,
                                   std::string_view contentType, std::string body) {
  HttpSession::Response response{status, request.version()};
  response.set(http::field::server, "pushwren-playground");
  response.set(http::field::content_type, contentType);
  response.set(http::field::cache_control, "no-store");
  response.set("X-Content-Type-Options", "nosniff");
  response.set("Content-Security-Policy", kContentSecurityPolicy);
  response.keep_alive(request.keep_alive());
  response.body() = std::move(body);
  response.prepare_payload();
  if (request.method() == http::verb::head) response.body().clear();
  return response;
}

HttpSession::Response errorResponse(const HttpSession::Request& request, http::status status, std::string_view why) {
  return makeResponse(request, status, "application/json", boost::json::serialize(boost::json::object{{"error", why}}));
}

std::optional<std::string> readFile(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

std::string_view pathOf(const HttpSession::Request& request) {
  const std::string_view target(request.target().data(), request.target().size());
  return target.substr(0, target.find('?'));
}

}  // namespace

HttpSession::HttpSession(boost::asio::ip::tcp::socket socket, Playground& playground, SessionRegistry& sessions,
                         unsigned short port)
    : stream_(std::move(socket)), playground_(playground), sessions_(sessions), port_(port) {}

void HttpSession::close() {
  if (upgraded_) return;
  beast::error_code ignored;
  stream_.socket().shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
  stream_.socket().close(ignored);
}

void HttpSession::read() {
  parser_.emplace();
  parser_->body_limit(kLargestBody);
  stream_.expires_after(std::chrono::seconds(60));
  http::async_read(stream_, buffer_, *parser_, beast::bind_front_handler(&HttpSession::onRead, shared_from_this()));
}

void HttpSession::onRead(beast::error_code ec, std::size_t) {
  if (ec == http::error::body_limit) {
    Request request;
    request.version(11);
    auto response = errorResponse(request, http::status::payload_too_large, "the request body is too large");
    response.keep_alive(false);
    return write(std::move(response));
  }
  if (ec) return close();
  auto request = parser_->release();
  if (beast::websocket::is_upgrade(request)) return upgrade(request);
  respond(request);
}

void HttpSession::upgrade(const Request& request) {
  const auto path = pathOf(request);
  if (path != "/ws" && path != "/echo") {
    return write(errorResponse(request, http::status::not_found, "no WebSocket here: use /ws or /echo"));
  }
  if (!originAllowed(originOf(request), port_)) {
    auto response = errorResponse(request, http::status::forbidden, "WebSocket refused: not the playground's origin");
    response.keep_alive(false);
    return write(std::move(response));
  }
  stream_.expires_never();
  upgraded_ = true;
  const auto kind = path == "/ws" ? WebSocketSession::Kind::Tab : WebSocketSession::Kind::Echo;
  const auto session = std::make_shared<WebSocketSession>(std::move(stream_), playground_, kind);
  sessions_.add(session);
  session->accept(request);
}

void HttpSession::respond(const Request& request) {
  if (pathOf(request) == "/steps") {
    if (request.method() != http::verb::post) {
      auto response = errorResponse(request, http::status::method_not_allowed, "POST a step to /steps");
      response.set(http::field::allow, "POST");
      return write(std::move(response));
    }
    if (!originAllowed(originOf(request), port_)) {
      return write(errorResponse(request, http::status::forbidden, "step refused: not the playground's origin"));
    }
    return answerStep(request);
  }
  if (pathOf(request) == "/__pushwren/steps" && request.method() == http::verb::get) return write(makeResponse(request, http::status::ok, "application/json", stepListAnswer()));
  if (request.method() != http::verb::get && request.method() != http::verb::head) {
    auto response = errorResponse(request, http::status::method_not_allowed, "only GET and HEAD are served here");
    response.set(http::field::allow, "GET, HEAD");
    return write(std::move(response));
  }
  respondWithFile(request);
}

void HttpSession::respondWithFile(const Request& request) {
  const auto path = pathOf(request);
  const auto& files = playground_.files();
  std::optional<std::filesystem::path> file;
  if (path == "/manifest.json" && files.manifest) {
    file = files.manifest;
  } else {
    file = staticFile(files.webRoot, path);
  }
  const auto body = file ? readFile(*file) : std::nullopt;
  if (!body) return write(errorResponse(request, http::status::not_found, "not found"));
  write(makeResponse(request, http::status::ok, contentType(*file), *body));
}

void HttpSession::answerStep(const Request& request) {
  playground_.applyStep(request.body(), [self = shared_from_this(), request](StepAnswer answer) {
    self->write(makeResponse(request, static_cast<http::status>(answer.status), "application/json", std::move(answer.body)));
  });
}

void HttpSession::write(Response response) {
  const bool keepAlive = response.keep_alive();
  response_ = std::make_shared<Response>(std::move(response));
  http::async_write(stream_, *response_,
                    beast::bind_front_handler(&HttpSession::onWrite, shared_from_this(), keepAlive));
}

void HttpSession::onWrite(bool keepAlive, beast::error_code ec, std::size_t) {
  response_.reset();
  if (ec || !keepAlive) return close();
  read();
}

}  // namespace pushwren::sim::playground
