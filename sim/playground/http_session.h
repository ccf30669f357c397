#pragma once

#include <memory>
#include <optional>

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/parser.hpp>
#include <boost/beast/http/string_body.hpp>

#include "sim/playground/playground.h"
#include "sim/playground/session_registry.h"

namespace pushwren::sim::playground {

// One HTTP connection to the playground: its pages, the manifest, POST /steps, and the
// WebSocket upgrades (/ws for a tab, /echo for the benchmark), which it hands on.
class HttpSession final : public Closeable, public std::enable_shared_from_this<HttpSession> {
 public:
  using Request = boost::beast::http::request<boost::beast::http::string_body>;
  using Response = boost::beast::http::response<boost::beast::http::string_body>;

  HttpSession(boost::asio::ip::tcp::socket socket, Playground& playground, SessionRegistry& sessions,
              unsigned short port);

  void start() { read(); }
  void close() override;

 private:
  void read();
  void onRead(boost::beast::error_code ec, std::size_t bytes);
  void upgrade(const Request& request);
  void respond(const Request& request);
  void respondWithFile(const Request& request);
  void answerStep(const Request& request);
  void write(Response response);
  void onWrite(bool keepAlive, boost::beast::error_code ec, std::size_t bytes);

  boost::beast::tcp_stream stream_;
  boost::beast::flat_buffer buffer_;
  std::optional<boost::beast::http::request_parser<boost::beast::http::string_body>> parser_;
  std::shared_ptr<Response> response_;
  Playground& playground_;
  SessionRegistry& sessions_;
  unsigned short port_;
  bool upgraded_ = false;  // the connection went on as a WebSocket
};

}  // namespace pushwren::sim::playground
