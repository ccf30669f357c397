#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/server/session_registry.h"

namespace pushwren::sim::playground {

class PushApi;

// The playground's HTTP and WebSocket server, on the loopback interface only.
class PlaygroundServer {
 public:
  PlaygroundServer(boost::asio::io_context& io, DeviceFleet& devices);

  // Binds 127.0.0.1:port (0: a free port) and starts accepting. Throws
  // boost::system::system_error when the port cannot be had.
  void listen(unsigned short port);
  // The push API answers under /__pushwren/api from now on (push_api/push_api.h).
  void answerPushApiWith(PushApi& api) { pushApi_ = &api; }
  unsigned short port() const { return port_; }

  // Stops accepting and ends every open connection.
  void stop();
  // Whether a connection is still winding down (or, before stop(), open).
  bool hasConnections() const { return sessions_.anyAlive(); }

 private:
  void accept();

  boost::asio::io_context& io_;
  boost::asio::ip::tcp::acceptor acceptor_;
  DeviceFleet& devices_;
  SessionRegistry sessions_;
  unsigned short port_ = 0;
  PushApi* pushApi_ = nullptr;
};

}  // namespace pushwren::sim::playground
