#pragma once

#include <array>
#include <memory>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/message.hpp>

#include "sim/playground/server/session_registry.h"
#include "sim/playground/site/site.h"

namespace pushwren::sim::playground {

// A WebSocket of the site's own (a dev server's hot reload, the site's live data), passed
// through to the site's server: the upgrade request goes on with the site's host and origin,
// then bytes flow both ways untouched until either side closes.
class Tunnel final : public Closeable, public std::enable_shared_from_this<Tunnel> {
 public:
  Tunnel(boost::beast::tcp_stream client, boost::beast::flat_buffer alreadyRead,
         boost::beast::http::request<boost::beast::http::empty_body> upgrade, const UpstreamSite& site);

  void start();
  void close() override;

 private:
  struct Direction {
    boost::asio::ip::tcp::socket* from;
    boost::asio::ip::tcp::socket* to;
    std::array<char, std::size_t{16} * 1024> buffer{};
  };
  void onConnect(boost::beast::error_code ec);
  void pump(Direction& direction);
  void refuse(const std::string& why);

  boost::beast::tcp_stream client_;
  boost::beast::flat_buffer alreadyRead_;
  boost::beast::http::request<boost::beast::http::empty_body> upgrade_;
  const UpstreamSite& site_;
  boost::asio::ip::tcp::resolver resolver_;
  boost::beast::tcp_stream upstream_;
  Direction up_;
  Direction down_;
};

}  // namespace pushwren::sim::playground
