// A WebSocket of the site's own, through the playground: the upgrade names the site, messages
// of both kinds pass both ways, either side may close, and nothing but the site's 101 opens the
// pipe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/core/tcp_stream.hpp>
#include <boost/beast/websocket.hpp>

#include "tests/playground/site_fixture.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;
namespace websocket = beast::websocket;

// The site's live channel: echoes each message as it came, text or binary; the text "close"
// makes the site close with 4000.
asio::awaitable<bool> echo(tcp::socket& socket, beast::flat_buffer&, SiteRequest& request) {
  if (!websocket::is_upgrade(request)) {
    co_return co_await answerWith(socket, http::response<http::string_body>{http::status::not_found, 11});
  }
  websocket::stream<tcp::socket&> ws(socket);
  auto [accepted] = co_await ws.async_accept(request, kAsTuple);
  if (accepted) co_return false;
  for (;;) {
    beast::flat_buffer message;
    auto [ec, n] = co_await ws.async_read(message, kAsTuple);
    if (ec) co_return false;
    if (ws.got_text() && beast::buffers_to_string(message.data()) == "close") {
      co_await ws.async_close(websocket::close_reason(static_cast<websocket::close_code>(4000), "the site is done"), kAsTuple);
      co_return false;
    }
    ws.text(ws.got_text());
    auto [written, m] = co_await ws.async_write(message.data(), kAsTuple);
    if (written) co_return false;
  }
}

class TunnelTest : public PlaygroundFixture {
 protected:
  using Client = websocket::stream<beast::tcp_stream>;

  std::string origin() const { return "http://" + host(); }

  asio::awaitable<beast::error_code> handshake(Client& ws) { return handshake(ws, server->port(), host(), origin()); }
  static asio::awaitable<beast::error_code> handshake(Client& ws, unsigned short port, std::string host,
                                                      std::string origin) {
    co_await beast::get_lowest_layer(ws).async_connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port),
                                                       asio::use_awaitable);
    ws.set_option(websocket::stream_base::decorator(
        [origin](websocket::request_type& request) { request.set(http::field::origin, origin); }));
    auto [ec] = co_await ws.async_handshake(host, "/live", kAsTuple);
    co_return ec;
  }

  struct Heard {
    std::string data;
    bool text = false;
    beast::error_code ec;
  };
  static asio::awaitable<Heard> roundTrip(Client& ws, std::string data, bool text) {
    ws.text(text);
    co_await ws.async_write(asio::buffer(data), asio::use_awaitable);
    beast::flat_buffer buffer;
    Heard heard;
    auto [ec, n] = co_await ws.async_read(buffer, kAsTuple);
    heard.ec = ec;
    heard.data = beast::buffers_to_string(buffer.data());
    heard.text = ws.got_text();
    co_return heard;
  }
  static asio::awaitable<beast::error_code> readUntilEnd(Client& ws) {
    beast::flat_buffer buffer;
    for (;;) {
      auto [ec, n] = co_await ws.async_read(buffer, kAsTuple);
      if (ec) co_return ec;
      buffer.consume(buffer.size());
    }
  }
};

TEST_F(TunnelTest, TheUpgradeNamesTheSiteAndMessagesOfBothKindsPassUntilTheSiteCloses) {
  startSite(echo);
  startPlayground(site->upstream());
  Client ws(io);
  ASSERT_FALSE(runToEnd(io, handshake(ws)));

  ASSERT_EQ(site->requests.size(), 1u);
  const auto& upgrade = site->requests.front();
  EXPECT_EQ(upgrade[http::field::host], site->upstream().authority);
  EXPECT_EQ(upgrade[http::field::origin], site->upstream().origin) << "the site sees its own pages' origin";

  const auto text = runToEnd(io, roundTrip(ws, "hello", true));
  EXPECT_FALSE(text.ec);
  EXPECT_EQ(text.data, "hello");
  EXPECT_TRUE(text.text);

  const std::string bytes{'\0', '\x01', '\xff', '\x7f', '\0'};
  const auto binary = runToEnd(io, roundTrip(ws, bytes, false));
  EXPECT_EQ(binary.data, bytes);
  EXPECT_FALSE(binary.text);

  // Larger than one piece of the pipe: passed on whole.
  const std::string large(std::size_t{100} * 1024, 'x');
  EXPECT_EQ(runToEnd(io, roundTrip(ws, large, false)).data, large);

  const auto closing = runToEnd(io, roundTrip(ws, "close", true));
  EXPECT_EQ(closing.ec, websocket::error::closed);
  EXPECT_EQ(ws.reason().code, 4000);
  EXPECT_EQ(std::string(ws.reason().reason.c_str()), "the site is done");
}

TEST_F(TunnelTest, AnAnswerOtherThan101IsAPlainResponseAndNothingAfterItReachesTheSite) {
  startSite([](tcp::socket& socket, beast::flat_buffer&, SiteRequest&) {
    // Keeps the connection, ready to read whatever comes next.
    http::response<http::string_body> response{http::status::ok, 11};
    response.set(http::field::content_type, "text/plain");
    response.body() = "no socket here";
    return answerWith(socket, std::move(response));
  });
  startPlayground(site->upstream());

  const auto upgrade = "GET /live HTTP/1.1\r\nHost: " + host() +
                       "\r\nConnection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: 13\r\n"
                       "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n";
  const std::string smuggled =
      "POST /admin HTTP/1.1\r\nHost: evil.example\r\nTransfer-Encoding: chunked\r\nContent-Length: 3\r\n\r\n0\r\n\r\n";
  const auto reply = send(upgrade + smuggled);
  EXPECT_EQ(reply.response.result(), http::status::ok);
  EXPECT_EQ(reply.response.body(), "no socket here");
  EXPECT_TRUE(reply.closed) << "the browser's connection is no pipe";

  ASSERT_TRUE(runIoUntil(io, [&] { return site->connectionsEnded == 1; }, 30s));
  ASSERT_EQ(site->requests.size(), 1u);
  EXPECT_EQ(site->requests.front().target(), "/live");
}

TEST_F(TunnelTest, ASiteThatIsDownGets502) {
  UpstreamSite down;
  {
    tcp::acceptor taken(io, {asio::ip::make_address("127.0.0.1"), 0});
    const auto port = std::to_string(taken.local_endpoint().port());
    down = {"127.0.0.1", port, "http://127.0.0.1:" + port, "127.0.0.1:" + port, "/"};
  }
  startPlayground(down);
  Client ws(io);
  const auto ec = runToEnd(io, handshake(ws));
  EXPECT_EQ(ec, websocket::error::upgrade_declined);

  const auto reply = send("GET /live HTTP/1.1\r\nHost: " + host() +
                          "\r\nConnection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: 13\r\n"
                          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n");
  EXPECT_EQ(reply.response.result(), http::status::bad_gateway);
  EXPECT_NE(reply.response.body().find("Connection refused"), std::string::npos) << reply.response.body();
  EXPECT_TRUE(reply.closed);
}

TEST_F(TunnelTest, ATunnelWhereNothingIsSaidIsClosedAfterItsIdleLimit) {
  startSite(echo);
  ServerLimits limits;
  limits.site.tunnelIdle = 100ms;
  startPlayground(site->upstream(), limits);
  Client ws(io);
  ASSERT_FALSE(runToEnd(io, handshake(ws)));
  EXPECT_TRUE(runToEnd(io, readUntilEnd(ws))) << "the tunnel ends";
  EXPECT_TRUE(runIoUntil(io, [&] { return site->connectionsEnded == 1; }, 30s)) << "and with it the site's side";
}

TEST_F(TunnelTest, AnUpgradeWithABodyIsRefused) {
  startSite(echo);
  startPlayground(site->upstream());
  const auto reply = send("GET /live HTTP/1.1\r\nHost: " + host() +
                          "\r\nConnection: Upgrade\r\nUpgrade: websocket\r\nSec-WebSocket-Version: 13\r\n"
                          "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nContent-Length: 5\r\n\r\nhello");
  EXPECT_EQ(reply.response.result(), http::status::bad_request);
  EXPECT_TRUE(site->requests.empty());
}

}  // namespace
}  // namespace pushwren::sim::playground
