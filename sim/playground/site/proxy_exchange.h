#pragma once

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/buffer_body.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/serializer.hpp>
#include <boost/beast/http/string_body.hpp>

#include "sim/playground/site/proxy_limits.h"
#include "sim/playground/site/site.h"

namespace pushwren::sim::playground {

// One request to the site's server, made on the browser's behalf, and its response passed
// back. The body goes through in pieces both ways, so a large download or upload holds one
// piece in memory at a time; only an HTML document is read whole, to add the page client to it.
// The site's server is asked for unencoded bodies, its redirects and cookies are made to name
// the playground's origin, and a server that is down, refuses or is slow gets an error page
// naming the site (502, or 504 once it has taken longer than `limits` allow).
class ProxyExchange : public std::enable_shared_from_this<ProxyExchange> {
 public:
  using RequestHeader = boost::beast::http::request_parser<boost::beast::http::empty_body>;

  // `client` and `clientBuffer` belong to `owner`, kept alive until `done`, which is told
  // whether the browser's connection can carry another request.
  ProxyExchange(boost::beast::tcp_stream& client, boost::beast::flat_buffer& clientBuffer, RequestHeader&& header,
                const UpstreamSite& site, const ProxyLimits& limits, std::shared_ptr<void> owner,
                std::function<void(bool keepAlive)> done);

  void start();
  // Ends the exchange at once: the server is stopping.
  void close();

 private:
  void onResolve(boost::beast::error_code ec, const boost::asio::ip::tcp::resolver::results_type& results);
  void onConnect(boost::beast::error_code ec);
  void readRequestPiece();
  void writeRequestPiece();
  void readResponseHeader();
  void onResponseHeader(boost::beast::error_code ec);
  void passHtml();
  void readResponsePiece();
  void writeResponsePiece();
  void fail(boost::beast::http::status status, const std::string& why);
  void finish(bool keepAlive);

  boost::beast::tcp_stream& client_;
  boost::beast::flat_buffer& clientBuffer_;
  boost::beast::http::request_parser<boost::beast::http::buffer_body> request_;
  std::optional<boost::beast::http::request_serializer<boost::beast::http::buffer_body>> requestOut_;
  const UpstreamSite& site_;
  ProxyLimits limits_;
  std::shared_ptr<void> owner_;
  std::function<void(bool)> done_;
  boost::asio::ip::tcp::resolver resolver_;
  boost::beast::tcp_stream upstream_;
  boost::beast::flat_buffer upstreamBuffer_;
  std::optional<boost::beast::http::response_parser<boost::beast::http::empty_body>> responseHeader_;
  std::optional<boost::beast::http::response_parser<boost::beast::http::buffer_body>> response_;
  std::optional<boost::beast::http::response_serializer<boost::beast::http::buffer_body>> responseOut_;
  std::optional<boost::beast::http::response_parser<boost::beast::http::string_body>> html_;
  std::array<char, std::size_t{64} * 1024> piece_{};
  std::string target_;
  bool keepAlive_;
  bool head_;
  bool expectsContinue_ = false;
  bool answered_ = false;  // something went back to the browser: an error page is too late
  bool finished_ = false;
};

}  // namespace pushwren::sim::playground
