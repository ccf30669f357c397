#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include "sim/playground/server/session_registry.h"
#include "sim/playground/site/proxy_limits.h"
#include "sim/playground/site/site.h"

namespace pushwren::sim::playground {

// A WebSocket of the site's own (a dev server's hot reload, the site's live data), passed
// through to the site's server. The upgrade request goes on with the site's host and origin;
// only once the site has answered 101 Switching Protocols do bytes flow both ways untouched,
// until either side closes or neither has sent anything for `limits.tunnelIdle`. Any other
// answer goes back to the browser as a plain response, and its connection ends there: what
// the browser sent after its upgrade request never reaches the site.
class Tunnel final : public Closeable, public std::enable_shared_from_this<Tunnel> {
 public:
  Tunnel(boost::beast::tcp_stream client, boost::beast::flat_buffer alreadyRead,
         boost::beast::http::request<boost::beast::http::empty_body> upgrade, const UpstreamSite& site,
         const ProxyLimits& limits);

  void start();
  void close() override;

 private:
  struct Direction {
    boost::asio::ip::tcp::socket* from;
    boost::asio::ip::tcp::socket* to;
    std::array<char, std::size_t{16} * 1024> buffer{};
  };
  void onConnect(boost::beast::error_code ec);
  void readAnswer();
  void onAnswer(boost::beast::error_code ec);
  void switchProtocols();
  void passRefusal();
  void startPiping();
  void pump(Direction& direction);
  void watchIdle();
  void refuse(boost::beast::http::status status, const std::string& why);

  boost::beast::tcp_stream client_;
  boost::beast::flat_buffer alreadyRead_;
  boost::beast::http::request<boost::beast::http::empty_body> upgrade_;
  const UpstreamSite& site_;
  ProxyLimits limits_;
  boost::asio::ip::tcp::resolver resolver_;
  boost::beast::tcp_stream upstream_;
  boost::beast::flat_buffer upstreamBuffer_;
  std::optional<boost::beast::http::response_parser<boost::beast::http::empty_body>> answer_;
  std::optional<boost::beast::http::response_parser<boost::beast::http::string_body>> refusal_;
  boost::asio::steady_timer idle_;
  std::chrono::steady_clock::time_point lastActivity_;
  Direction up_;
  Direction down_;
  bool closed_ = false;
};

}  // namespace pushwren::sim::playground
