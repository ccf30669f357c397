#include "sim/playground/server/playground_server.h"

#include "sim/playground/server/http_session.h"

namespace pushwren::sim::playground {

PlaygroundServer::PlaygroundServer(boost::asio::io_context& io, DeviceFleet& devices)
    : io_(io), acceptor_(io), devices_(devices) {}

void PlaygroundServer::listen(unsigned short port) {
  const boost::asio::ip::tcp::endpoint endpoint(boost::asio::ip::make_address("127.0.0.1"), port);
  acceptor_.open(endpoint.protocol());
  acceptor_.set_option(boost::asio::socket_base::reuse_address(true));
  acceptor_.bind(endpoint);
  acceptor_.listen();
  port_ = acceptor_.local_endpoint().port();
  accept();
}

void PlaygroundServer::stop() {
  boost::system::error_code ignored;
  acceptor_.close(ignored);
  sessions_.closeAll();
}

void PlaygroundServer::accept() {
  acceptor_.async_accept(io_, [this](boost::system::error_code ec, boost::asio::ip::tcp::socket socket) {
    if (ec == boost::asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (!ec) {
      // A bridge answer is several small messages in a row; none may wait for the last one's ack.
      boost::system::error_code ignored;
      socket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
      const auto session = std::make_shared<HttpSession>(std::move(socket), devices_, sessions_, port_, pushApi_);
      sessions_.add(session);
      session->start();
    }
    accept();
  });
}

}  // namespace pushwren::sim::playground
