#pragma once

#include <chrono>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/server/session_registry.h"
#include "sim/playground/site/proxy_limits.h"

namespace pushwren::sim::playground {

class PushApi;

struct ServerLimits {
  ProxyLimits site;
  // How long accepting rests when the process or the system is out of file descriptors (or of
  // memory for a socket): a connection that waits in the queue cannot be taken before some close,
  // and asking again at once would only spin.
  std::chrono::milliseconds acceptPause = std::chrono::milliseconds(250);
};

// The playground's HTTP and WebSocket server, on the loopback interface only.
class PlaygroundServer {
 public:
  PlaygroundServer(boost::asio::io_context& io, DeviceFleet& devices, ServerLimits limits = {});

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
  // Whether accepting rests, out of descriptors, until acceptPause has passed.
  bool acceptPaused() const { return paused_; }

 private:
  void accept();
  void pauseAccepting(const boost::system::error_code& why);

  boost::asio::io_context& io_;
  boost::asio::ip::tcp::acceptor acceptor_;
  boost::asio::steady_timer pause_;
  DeviceFleet& devices_;
  ServerLimits limits_;
  SessionRegistry sessions_;
  unsigned short port_ = 0;
  bool paused_ = false;
  bool toldOfPause_ = false;  // one line per shortage, not one per attempt
  PushApi* pushApi_ = nullptr;
};

}  // namespace pushwren::sim::playground
