#include "sim/playground/server/http_session.h"

#include <chrono>
#include <fstream>
#include <sstream>

#include <boost/beast/core/bind_handler.hpp>
#include <boost/beast/core/buffers_generator.hpp>
#include <boost/beast/http/file_body.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/websocket/rfc6455.hpp>
#include <boost/json/serialize.hpp>

#include <boost/url/parse.hpp>

#include "sim/playground/push_api/push_api.h"
#include "sim/playground/site/client_script.h"
#include "sim/playground/server/http_responses.h"
#include "sim/playground/server/origin_policy.h"
#include "sim/playground/server/request_framing.h"
#include "sim/playground/site/proxy_exchange.h"
#include "sim/playground/site/static_files.h"
#include "sim/playground/site/tunnel.h"
#include "sim/playground/server/websocket_session.h"

namespace pushwren::sim::playground {
namespace beast = boost::beast;
namespace http = beast::http;

namespace {

// A step is one small JSON object; the folder site takes no uploads.
constexpr std::size_t kLargestBody = 1 << 20;
constexpr std::uint32_t kLargestHeader = 64 * 1024;
constexpr std::string_view kOwnPrefix = "/__pushwren/";

// The shell runs only its own scripts: no inline script, no eval, no javascript: URLs. The web
// view shows the site, which is served from this same origin; nothing else may frame the shell.
constexpr std::string_view kShellSecurityPolicy =
    "default-src 'self'; script-src 'self'; style-src 'self'; img-src 'self' data:; connect-src 'self'; "
    "frame-src 'self'; frame-ancestors 'self'; object-src 'none'; base-uri 'none'; form-action 'self'";

std::optional<std::string_view> fieldOf(const http::fields& fields, http::field name) {
  const auto found = fields.find(name);
  if (found == fields.end()) return std::nullopt;
  return std::string_view(found->value().data(), found->value().size());
}

std::string_view targetOf(const http::request_header<>& request) {
  return {request.target().data(), request.target().size()};
}

std::string_view pathOf(const http::request_header<>& request) {
  const auto target = targetOf(request);
  return target.substr(0, target.find('?'));
}

std::optional<std::string> readFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return std::move(text).str();
}

// The device a request names with ?device=ID, if it names one.
std::optional<std::string> deviceParameter(const http::request_header<>& request) {
  const auto target = boost::urls::parse_origin_form(targetOf(request));
  if (!target) return std::nullopt;
  const auto found = target->params().find("device");
  if (found == target->params().end()) return std::nullopt;
  return std::string((*found).value);
}

template <class Response>
http::message_generator headless(Response response, http::verb method) {
  if (method == http::verb::head) {
    // HEAD answers with the GET's headers, Content-Length included, and no body.
    http::response<http::empty_body> header{std::move(response.base())};
    return header;
  }
  return response;
}

}  // namespace

HttpSession::HttpSession(boost::asio::ip::tcp::socket socket, DeviceFleet& devices, SessionRegistry& sessions,
                         unsigned short port, const ProxyLimits& siteLimits, PushApi* pushApi)
    : stream_(std::move(socket)),
      devices_(devices),
      sessions_(sessions),
      port_(port),
      siteLimits_(siteLimits),
      pushApi_(pushApi) {}

void HttpSession::close() {
  if (const auto exchange = exchange_.lock()) exchange->close();
  if (handedOn_) return;
  beast::error_code ignored;
  stream_.socket().shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
  stream_.socket().close(ignored);
}

void HttpSession::read() {
  header_.emplace();
  header_->header_limit(kLargestHeader);
  // The site's server takes bodies of any size, in pieces; the playground's own routes set their
  // limit once they know the request is theirs.
  header_->body_limit(boost::none);
  stream_.expires_after(std::chrono::seconds(60));
  http::async_read_header(stream_, buffer_, *header_,
                          beast::bind_front_handler(&HttpSession::onHeader, shared_from_this()));
}

void HttpSession::onHeader(beast::error_code ec, std::size_t) {
  if (ec == http::error::header_limit) {
    return write(errorResponse(http::status::request_header_fields_too_large, 11, false,
                               "the request's header is over 64 KB"));
  }
  if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == boost::asio::error::operation_aborted ||
      ec == boost::asio::error::connection_reset) {
    return close();
  }
  if (ec) return write(errorResponse(http::status::bad_request, 11, false, "malformed request: " + ec.message()));

  const auto& request = header_->get();
  if (const auto fault = framingFault(request)) {
    return write(errorResponse(http::status::bad_request, 11, false, "malformed request: " + *fault));
  }
  const auto target = targetOf(request);
  if (!target.starts_with('/')) {
    return write(errorResponse(http::status::bad_request, request.version(), false,
                               "only paths are served here: the playground is not a proxy for other addresses"));
  }
  const auto host = fieldOf(request, http::field::host);
  if (!host || !isOwnHost(*host, port_)) {
    return write(errorResponse(http::status::misdirected_request, request.version(), false,
                               "refused: this server is 127.0.0.1:" + std::to_string(port_) + " and serves no other host"));
  }
  const auto path = pathOf(request);
  if (path == "/__pushwren") {
    auto response = ownResponse(http::status::moved_permanently, request.version(), request.keep_alive(), "text/plain", "");
    response.set(http::field::location, kOwnPrefix);
    return write(std::move(response));
  }
  if (path.starts_with(kOwnPrefix)) return readWholeRequest(&HttpSession::ownRoute);

  const auto& site = devices_.files().site;
  if (std::holds_alternative<UpstreamSite>(site)) {
    if (!beast::websocket::is_upgrade(request)) return proxy();
    if (header_->chunked() || header_->content_length().value_or(0) > 0) {
      return write(errorResponse(http::status::bad_request, request.version(), false,
                                 "a WebSocket upgrade request carries no body"));
    }
    return tunnel();
  }
  readWholeRequest(&HttpSession::serveFolderSite);
}

void HttpSession::readWholeRequest(void (HttpSession::*then)(const Request&)) {
  // The parser checks an announced length against its limit only while it reads the header.
  if (header_->content_length().value_or(0) > kLargestBody) {
    return write(errorResponse(http::status::payload_too_large, 11, false, "the request body is too large"));
  }
  whole_.emplace(std::move(*header_));
  whole_->body_limit(kLargestBody);
  http::async_read(stream_, buffer_, *whole_, [self = shared_from_this(), then](beast::error_code ec, std::size_t) {
    if (ec == http::error::body_limit) {
      return self->write(errorResponse(http::status::payload_too_large, 11, false, "the request body is too large"));
    }
    if (ec) return self->close();
    const auto request = self->whole_->release();
    ((*self).*then)(request);
  });
}

void HttpSession::ownRoute(const Request& request) {
  const auto path = pathOf(request);
  if (path == "/__pushwren/ws") {
    if (beast::websocket::is_upgrade(request)) return upgradeTab(request);
    return write(errorResponse(http::status::bad_request, request.version(), request.keep_alive(),
                               "/__pushwren/ws is the tabs' WebSocket"));
  }
  if (pushApi_ && (path == PushApi::kPrefix || path.starts_with(std::string(PushApi::kPrefix) + "/"))) {
    return answerPushApi(request);
  }
  if (path == "/__pushwren/steps") {
    if (request.method() == http::verb::get) {
      return write(ownResponse(http::status::ok, request.version(), request.keep_alive(), "application/json",
                               stepListAnswer()));
    }
    if (request.method() != http::verb::post) {
      auto response = errorResponse(http::status::method_not_allowed, request.version(), request.keep_alive(),
                                    "POST steps to /__pushwren/steps, or GET the list of steps");
      response.set(http::field::allow, "GET, POST");
      return write(std::move(response));
    }
    if (!originAllowed(fieldOf(request, http::field::origin), port_)) {
      return write(errorResponse(http::status::forbidden, request.version(), request.keep_alive(),
                                 "step refused: not the playground's origin"));
    }
    return answerStep(request);
  }
  if (request.method() != http::verb::get && request.method() != http::verb::head) {
    auto response = errorResponse(http::status::method_not_allowed, request.version(), request.keep_alive(),
                                  "only GET and HEAD are served here");
    response.set(http::field::allow, "GET, HEAD");
    return write(std::move(response));
  }
  if (path == "/__pushwren/devices") {
    return write(headless(ownResponse(http::status::ok, request.version(), request.keep_alive(), "application/json",
                                      devices_.deviceList()),
                          request.method()));
  }
  if (path.starts_with("/__pushwren/devices/")) return serveSession(request);
  if (path == "/__pushwren/site.json") {
    return write(ownResponse(http::status::ok, request.version(), request.keep_alive(), "application/json",
                             boost::json::serialize(devices_.siteDescription())));
  }
  serveOwnFile(request);
}

void HttpSession::upgradeTab(const Request& request) {
  if (!originAllowed(fieldOf(request, http::field::origin), port_)) {
    return write(errorResponse(http::status::forbidden, request.version(), false,
                               "WebSocket refused: not the playground's origin"));
  }
  stream_.expires_never();
  handedOn_ = true;
  const auto session = std::make_shared<WebSocketSession>(std::move(stream_), devices_, deviceParameter(request));
  sessions_.add(session);
  session->accept(request);
}

void HttpSession::answerStep(const Request& request) {
  // The shell's panel is a page and names its origin; a script sends none.
  const auto by = fieldOf(request, http::field::origin) ? "panel" : "script";
  devices_.applySteps(deviceParameter(request), request.body(), by, [self = shared_from_this(), version = request.version(),
                                                                    keepAlive = request.keep_alive()](StepAnswer answer) {
    self->write(ownResponse(static_cast<http::status>(answer.status), version, keepAlive, "application/json",
                            std::move(answer.body)));
  });
}

// A backend's call to the push service, or the shell's: pages of other origins are refused as
// for /steps, since a send reaches the devices.
void HttpSession::answerPushApi(const Request& request) {
  if (request.method() != http::verb::get && !originAllowed(fieldOf(request, http::field::origin), port_)) {
    return write(ownResponse(http::status::forbidden, request.version(), request.keep_alive(), "application/json",
                             R"({"errors":["refused: not the playground's origin"]})"));
  }
  pushApi_->handle(request.method(), targetOf(request).substr(PushApi::kPrefix.size()), request.body(),
                   [self = shared_from_this(), version = request.version(),
                    keepAlive = request.keep_alive()](PushApi::Answer answer) {
                     self->write(ownResponse(static_cast<http::status>(answer.status), version, keepAlive,
                                             "application/json", std::move(answer.body)));
                   });
}

// /__pushwren/devices/ID/session.jsonl and .../session.trace: the device's session so far.
void HttpSession::serveSession(const Request& request) {
  auto rest = pathOf(request).substr(std::string_view("/__pushwren/devices/").size());
  const auto slash = rest.find('/');
  const auto id = std::string(rest.substr(0, slash));
  const auto file = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  if (file != "/session.jsonl" && file != "/session.trace") {
    return write(errorResponse(http::status::not_found, request.version(), request.keep_alive(),
                               "a device serves session.jsonl (its steps) and session.trace (its trace)"));
  }
  const bool steps = file == "/session.jsonl";
  devices_.session(id, steps ? "jsonl" : "trace",
                   [self = shared_from_this(), steps, version = request.version(), keepAlive = request.keep_alive(),
                    method = request.method()](StepAnswer refusal, std::optional<SessionSlice> slice) {
                     if (!slice) {
                       return self->write(ownResponse(static_cast<http::status>(refusal.status), version, keepAlive,
                                                      "application/json", std::move(refusal.body)));
                     }
                     // Sent from the device's file a piece at a time: a session may be larger than memory.
                     beast::error_code ec;
                     http::response<SessionFileBody> response{http::status::ok, version, sessionFileBody(*slice, ec)};
                     if (ec) {
                       return self->write(errorResponse(http::status::internal_server_error, version, keepAlive,
                                                        "the session's file cannot be read: " + ec.message()));
                     }
                     response.set(http::field::server, "pushwren-playground");
                     response.set(http::field::content_type,
                                  steps ? "application/x-ndjson; charset=utf-8" : "text/plain; charset=utf-8");
                     response.set(http::field::cache_control, "no-store");
                     response.set("X-Content-Type-Options", "nosniff");
                     response.keep_alive(keepAlive);
                     response.prepare_payload();
                     self->write(headless(std::move(response), method));
                   });
}

void HttpSession::serveOwnFile(const Request& request) {
  auto file = playgroundFile(devices_.files(), pathOf(request));
  if (!file) return write(errorResponse(http::status::not_found, request.version(), request.keep_alive(), "not found"));
  auto response = ownResponse(http::status::ok, request.version(), request.keep_alive(), file->contentType,
                              std::move(file->body));
  response.set("Content-Security-Policy", kShellSecurityPolicy);
  write(headless(std::move(response), request.method()));
}

void HttpSession::serveFolderSite(const Request& request) {
  const auto version = request.version();
  const bool keepAlive = request.keep_alive();
  if (request.method() != http::verb::get && request.method() != http::verb::head) {
    auto response = errorResponse(http::status::method_not_allowed, version, keepAlive,
                                  "a folder site is files: only GET and HEAD are served");
    response.set(http::field::allow, "GET, HEAD");
    return write(std::move(response));
  }
  const auto& root = std::get<FolderSite>(devices_.files().site).root;
  const auto path = pathOf(request);
  const auto notFound = [&] {
    return errorPage(http::status::not_found, version, keepAlive, "Not found",
                     std::string(path) + " is not a file of the site's folder.");
  };
  auto file = staticFile(root, path);
  std::error_code ec;
  if (!file || !std::filesystem::exists(*file, ec) || !insideRoot(root, *file)) {
    file = appRouteFallback(root, path, request[http::field::accept]);
    if (!file) return write(notFound());
  }
  beast::error_code opened;
  if (std::filesystem::is_directory(*file, ec)) {
    // A folder's page is its index.html, at the address with a slash, so its relative links work.
    const auto target = targetOf(request);
    const auto query = target.find('?');
    auto response = ownResponse(http::status::moved_permanently, version, keepAlive, "text/plain", "");
    response.set(http::field::location, std::string(path) + "/" +
                                            std::string(query == std::string_view::npos ? "" : target.substr(query)));
    return write(std::move(response));
  }
  if (!std::filesystem::is_regular_file(*file, ec)) return write(notFound());

  const auto type = contentType(*file);
  if (isHtml(type)) {
    const auto html = readFile(*file);
    if (!html) return write(notFound());
    return write(headless(ownResponse(http::status::ok, version, keepAlive, type, withClientScript(*html)),
                          request.method()));
  }
  http::response<http::file_body> response{http::status::ok, version};
  response.body().open(file->c_str(), beast::file_mode::scan, opened);
  if (opened) return write(notFound());
  response.set(http::field::server, "pushwren-playground");
  response.set(http::field::content_type, type);
  response.set(http::field::cache_control, "no-store");
  response.set("X-Content-Type-Options", "nosniff");
  response.keep_alive(keepAlive);
  response.prepare_payload();
  write(headless(std::move(response), request.method()));
}

void HttpSession::proxy() {
  const auto& site = std::get<UpstreamSite>(devices_.files().site);
  const auto exchange = std::make_shared<ProxyExchange>(
      stream_, buffer_, std::move(*header_), site, siteLimits_, shared_from_this(), [self = shared_from_this()](bool keepAlive) {
        self->exchange_.reset();
        if (keepAlive) return self->read();
        self->close();
      });
  exchange_ = exchange;
  exchange->start();
}

void HttpSession::tunnel() {
  const auto& site = std::get<UpstreamSite>(devices_.files().site);
  stream_.expires_never();
  handedOn_ = true;
  const auto made = std::make_shared<Tunnel>(std::move(stream_), std::move(buffer_), header_->release(), site, siteLimits_);
  sessions_.add(made);
  made->start();
}

void HttpSession::write(http::message_generator message) {
  const bool keepAlive = message.keep_alive();
  stream_.expires_after(std::chrono::seconds(60));
  beast::async_write(stream_, std::move(message),
                     beast::bind_front_handler(&HttpSession::onWrite, shared_from_this(), keepAlive));
}

void HttpSession::onWrite(bool keepAlive, beast::error_code ec, std::size_t) {
  if (ec || !keepAlive) return close();
  read();
}

}  // namespace pushwren::sim::playground
