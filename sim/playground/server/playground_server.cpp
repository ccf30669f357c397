#include "sim/playground/server/playground_server.h"

#include <iostream>

#include "sim/playground/server/http_session.h"

namespace pushwren::sim::playground {
namespace {

bool outOfResources(const boost::system::error_code& ec) {
  return ec == boost::asio::error::no_descriptors || ec == boost::system::errc::too_many_files_open_in_system ||
         ec == boost::asio::error::no_buffer_space || ec == boost::asio::error::no_memory;
}

}  // namespace

PlaygroundServer::PlaygroundServer(boost::asio::io_context& io, DeviceFleet& devices, ServerLimits limits)
    : io_(io), acceptor_(io), pause_(io), devices_(devices), limits_(limits) {}

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
  pause_.cancel();
  sessions_.closeAll();
}

void PlaygroundServer::accept() {
  acceptor_.async_accept(io_, [this](boost::system::error_code ec, boost::asio::ip::tcp::socket socket) {
    if (ec == boost::asio::error::operation_aborted || !acceptor_.is_open()) return;
    if (outOfResources(ec)) return pauseAccepting(ec);
    if (!ec) {
      if (toldOfPause_) std::cerr << "playground: accepting connections again\n";
      toldOfPause_ = false;
      // A bridge answer is several small messages in a row; none may wait for the last one's ack.
      boost::system::error_code ignored;
      socket.set_option(boost::asio::ip::tcp::no_delay(true), ignored);
      const auto session =
          std::make_shared<HttpSession>(std::move(socket), devices_, sessions_, port_, limits_.site, pushApi_);
      sessions_.add(session);
      session->start();
    }
    accept();
  });
}

void PlaygroundServer::pauseAccepting(const boost::system::error_code& why) {
  if (!toldOfPause_) {
    std::cerr << "playground: cannot accept a connection (" << why.message()
              << "); new connections wait until open ones close\n";
  }
  toldOfPause_ = true;
  paused_ = true;
  pause_.expires_after(limits_.acceptPause);
  pause_.async_wait([this](boost::system::error_code ec) {
    paused_ = false;
    if (ec || !acceptor_.is_open()) return;
    accept();
  });
}

}  // namespace pushwren::sim::playground
