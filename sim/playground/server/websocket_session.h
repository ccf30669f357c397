#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>

#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/websocket/stream.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/server/session_registry.h"

namespace pushwren::sim::playground {

// One browser tab's WebSocket (/__pushwren/ws[?device=ID]): the tab shows a device of the fleet
// for as long as the connection lasts.
class WebSocketSession final : public PageChannel,
                               public Closeable,
                               public std::enable_shared_from_this<WebSocketSession> {
 public:
  WebSocketSession(boost::beast::tcp_stream stream, DeviceFleet& devices, std::optional<std::string> wanted);

  void accept(const boost::beast::http::request<boost::beast::http::string_body>& upgrade);

  void send(std::string message) override;
  void close() override;

 private:
  void onAccept(boost::beast::error_code ec);
  void read();
  void onRead(boost::beast::error_code ec, std::size_t bytes);
  void write();
  void onWrite(boost::beast::error_code ec, std::size_t bytes);
  void end();

  boost::beast::websocket::stream<boost::beast::tcp_stream> ws_;
  boost::beast::flat_buffer buffer_;
  DeviceFleet& devices_;
  std::optional<std::string> wanted_;
  std::deque<std::string> outbox_;
  std::string deviceId_;
  bool open_ = false;
};

}  // namespace pushwren::sim::playground
