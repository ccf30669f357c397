// A tab's WebSocket to the playground: only the playground's own pages open one; an open one
// shows a device, and one that sends a message over the limit is closed and lets its device go.
#include <gtest/gtest.h>

#include <string>

#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/json/parse.hpp>

#include "tests/playground/site_fixture.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;
namespace websocket = beast::websocket;
using Client = websocket::stream<beast::tcp_stream>;

class WebSocketSessionTest : public PlaygroundFixture {
 protected:
  void SetUp() override { startPlayground(FolderSite{PUSHWREN_PLAYGROUND_WEB_DIR "/demo"}); }

  static asio::awaitable<beast::error_code> open(Client& ws, unsigned short port, std::string origin) {
    co_await beast::get_lowest_layer(ws).async_connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port),
                                                       asio::use_awaitable);
    ws.set_option(websocket::stream_base::decorator(
        [origin](websocket::request_type& request) { request.set(http::field::origin, origin); }));
    auto [ec] = co_await ws.async_handshake("127.0.0.1:" + std::to_string(port), "/__pushwren/ws", kAsTuple);
    co_return ec;
  }
  // The device the tab shows, once the playground says it runs.
  static asio::awaitable<std::string> deviceShown(Client& ws) {
    for (;;) {
      beast::flat_buffer buffer;
      co_await ws.async_read(buffer, asio::use_awaitable);
      const auto message = boost::json::parse(beast::buffers_to_string(buffer.data())).as_object();
      if (message.at("type") == "app" && message.contains("state") && message.at("state") == "running") {
        co_return std::string(message.at("device").as_string());
      }
    }
  }
  static asio::awaitable<beast::error_code> sendThenReadUntilEnd(Client& ws, std::string message) {
    ws.text(true);
    auto [written, n] = co_await ws.async_write(asio::buffer(message), kAsTuple);
    if (written) co_return written;
    beast::flat_buffer buffer;
    for (;;) {
      auto [ec, m] = co_await ws.async_read(buffer, kAsTuple);
      if (ec) co_return ec;
      buffer.consume(buffer.size());
    }
  }

  bool shown(const std::string& id) {
    const auto list = boost::json::parse(fleet->deviceList());
    for (const auto& device : list.at("devices").as_array()) {
      if (device.at("id").as_string() == id) return device.at("shown").as_bool();
    }
    return false;
  }
};

TEST_F(WebSocketSessionTest, APageOfAnotherOriginIsRefusedAndStartsNoDevice) {
  for (const auto* origin : {"http://evil.example", "http://127.0.0.1:1", "null"}) {
    Client ws(io);
    EXPECT_EQ(runToEnd(io, open(ws, server->port(), origin)), websocket::error::upgrade_declined) << origin;
  }
  const auto reply = send("GET /__pushwren/ws HTTP/1.1\r\nHost: " + host() +
                          "\r\nOrigin: http://evil.example\r\nConnection: Upgrade\r\nUpgrade: websocket\r\n"
                          "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n");
  EXPECT_EQ(reply.response.result(), http::status::forbidden);
  EXPECT_EQ(boost::json::parse(fleet->deviceList()).at("devices").as_array().size(), 0u);
}

TEST_F(WebSocketSessionTest, ATabShowsADeviceUntilItSendsAMessageOverTheLimit) {
  Client ws(io);
  ASSERT_FALSE(runToEnd(io, open(ws, server->port(), "http://" + host())));
  const auto device = runToEnd(io, deviceShown(ws));
  EXPECT_TRUE(shown(device));

  const auto ended = runToEnd(io, sendThenReadUntilEnd(ws, std::string((1 << 20) + 1, 'x')));
  EXPECT_EQ(ended, websocket::error::closed);
  EXPECT_EQ(ws.reason().code, websocket::close_code::too_big);
  EXPECT_TRUE(runIoUntil(io, [&] { return !shown(device); }, 30s)) << "the device is free for another tab";
}

}  // namespace
}  // namespace pushwren::sim::playground
