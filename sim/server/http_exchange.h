#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>

#include "sim/server/received_request.h"
#include "sim/server/served_response.h"

namespace pushwren::sim {

// One connection of the scenario server: one request read, then one answer or none. Every
// operation runs on the server's thread; the connection closes when the last reference goes.
class HttpExchange : public std::enable_shared_from_this<HttpExchange> {
 public:
  explicit HttpExchange(boost::asio::ip::tcp::socket socket);

  // Reads one request and hands it over. A connection that closes or sends something that is not
  // HTTP is let go without a call.
  void readRequest(std::function<void(std::shared_ptr<HttpExchange>, ReceivedRequest)> received);

  // Calls `then` after the delay (at once for none).
  void wait(std::chrono::milliseconds delay, std::function<void()> then);

  // Sends the response and closes, or for a dropped one closes without a word.
  void answer(const ServedResponse& response);

 private:
  void close();

  boost::asio::ip::tcp::socket socket_;
  boost::beast::flat_buffer buffer_;
  boost::beast::http::request<boost::beast::http::string_body> request_;
  boost::beast::http::response<boost::beast::http::string_body> response_;
  std::optional<boost::asio::steady_timer> timer_;
};

}  // namespace pushwren::sim
