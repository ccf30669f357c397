#pragma once

#include <memory>
#include <optional>

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/message_generator.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/server/session_registry.h"
#include "sim/playground/site/proxy_limits.h"

namespace pushwren::sim::playground {

class ProxyExchange;
class PushApi;

// One HTTP connection to the playground. Everything of the playground's own lives under
// /__pushwren/ (the shell page and its files, the page client, the manifest, POST
// /__pushwren/steps, the devices' sessions, the tab WebSocket /__pushwren/ws); every other path belongs to the site,
// served from its folder or passed to its server. Requests must name this server as their host
// and a path as their target: the playground is no open proxy. A request whose body's length is
// ambiguous (request_framing.h) is refused before anything reads it.
class HttpSession final : public Closeable, public std::enable_shared_from_this<HttpSession> {
 public:
  using Request = boost::beast::http::request<boost::beast::http::string_body>;
  using Response = boost::beast::http::response<boost::beast::http::string_body>;

  HttpSession(boost::asio::ip::tcp::socket socket, DeviceFleet& devices, SessionRegistry& sessions,
              unsigned short port, const ProxyLimits& siteLimits = {}, PushApi* pushApi = nullptr);

  void start() { read(); }
  void close() override;

 private:
  void read();
  void onHeader(boost::beast::error_code ec, std::size_t bytes);
  void readWholeRequest(void (HttpSession::*then)(const Request&));
  void ownRoute(const Request& request);
  void upgradeTab(const Request& request);
  void answerStep(const Request& request);
  void answerPushApi(const Request& request);
  void serveSession(const Request& request);
  void serveOwnFile(const Request& request);
  void serveFolderSite(const Request& request);
  void proxy();
  void tunnel();
  void write(boost::beast::http::message_generator message);
  void onWrite(bool keepAlive, boost::beast::error_code ec, std::size_t bytes);

  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::empty_body>> header_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> whole_;
  std::weak_ptr<ProxyExchange> exchange_;
  DeviceFleet& devices_;
  SessionRegistry& sessions_;
  unsigned short port_;
  ProxyLimits siteLimits_;
  PushApi* pushApi_;
  bool handedOn_ = false;  // the connection went on as a WebSocket or a tunnel
};

}  // namespace pushwren::sim::playground
