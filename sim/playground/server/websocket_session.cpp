#include "sim/playground/server/websocket_session.h"

#include <boost/beast/core/bind_handler.hpp>
#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/websocket.hpp>

#include <iostream>

namespace pushwren::sim::playground {
namespace beast = boost::beast;
namespace websocket = beast::websocket;

namespace {

// Largest message a tab may send: bridge data is small; this keeps one message from filling
// memory.
constexpr std::size_t kLargestMessage = 1 << 20;
// A tab that stops reading is dropped before its backlog fills memory.
constexpr std::size_t kLongestBacklog = 10000;

}  // namespace

WebSocketSession::WebSocketSession(beast::tcp_stream stream, DeviceFleet& devices, std::optional<std::string> wanted)
    : ws_(std::move(stream)), devices_(devices), wanted_(std::move(wanted)) {}

void WebSocketSession::accept(const beast::http::request<beast::http::string_body>& upgrade) {
  beast::get_lowest_layer(ws_).expires_never();
  ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
  ws_.set_option(websocket::stream_base::decorator(
      [](websocket::response_type& response) { response.set(beast::http::field::server, "pushwren-playground"); }));
  ws_.read_message_max(kLargestMessage);
  ws_.async_accept(upgrade, beast::bind_front_handler(&WebSocketSession::onAccept, shared_from_this()));
}

void WebSocketSession::onAccept(beast::error_code ec) {
  if (ec) return;
  open_ = true;
  const auto device = devices_.openTab(shared_from_this(), std::move(wanted_));
  // A refused tab has been told why; the close lets its message go first.
  if (!device) return ws_.async_close(websocket::close_code::try_again_later, [self = shared_from_this()](auto) {});
  deviceId_ = *device;
  read();
}

void WebSocketSession::read() {
  ws_.async_read(buffer_, beast::bind_front_handler(&WebSocketSession::onRead, shared_from_this()));
}

void WebSocketSession::onRead(beast::error_code ec, std::size_t) {
  if (ec == websocket::error::message_too_big) {
    // The page sees the close (1009, or 1006 when it was still sending); the person reads why here.
    std::cerr << "playground: device " << deviceId_ << ": a message over "
              << kLargestMessage << " bytes; its WebSocket is closed\n";
  }
  if (ec) return end();
  auto message = beast::buffers_to_string(buffer_.data());
  buffer_.consume(buffer_.size());
  // The next message is read once the device can take it.
  devices_.tabSaid(deviceId_, std::move(message), [self = shared_from_this()] {
    if (self->open_) self->read();
  });
}

void WebSocketSession::send(std::string message) {
  if (!open_) return;
  if (outbox_.size() >= kLongestBacklog) return close();
  outbox_.push_back(std::move(message));
  if (outbox_.size() == 1) write();
}

void WebSocketSession::write() {
  ws_.text(true);
  ws_.async_write(boost::asio::buffer(outbox_.front()),
                  beast::bind_front_handler(&WebSocketSession::onWrite, shared_from_this()));
}

void WebSocketSession::onWrite(beast::error_code ec, std::size_t) {
  if (ec) return end();
  outbox_.pop_front();
  if (open_ && !outbox_.empty()) write();
}

void WebSocketSession::close() {
  beast::error_code ignored;
  beast::get_lowest_layer(ws_).socket().shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
  beast::get_lowest_layer(ws_).socket().close(ignored);
  end();
}

// The outbox is left as it is: a write in flight still reads its front.
void WebSocketSession::end() {
  open_ = false;
  if (!deviceId_.empty()) devices_.closeTab(std::exchange(deviceId_, {}), this);
}

}  // namespace pushwren::sim::playground
