#pragma once

// A site's own server and a playground in front of it, both on 127.0.0.1 at free ports and on
// the test's one queue, with a client that speaks raw HTTP or WebSocket to the playground. Tests
// wait for what they expect to happen; a limit of tens of seconds only ends a test that fails.

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <boost/asio/as_tuple.hpp>
#include <boost/asio/awaitable.hpp>
#include <boost/asio/co_spawn.hpp>
#include <boost/asio/detached.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/use_awaitable.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include "sim/playground/devices/device_fleet.h"
#include "sim/playground/server/playground_server.h"
#include "tests/playground/run_io_until.h"
#include "tests/playground/temp_folder.h"

namespace pushwren::sim::playground {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using SiteRequest = http::request<http::string_body>;
constexpr auto kAsTuple = asio::as_tuple(asio::use_awaitable);

// What the site's server does with a request it has read; true to read another on the same
// connection.
using SiteHandler = std::function<asio::awaitable<bool>(tcp::socket&, beast::flat_buffer&, SiteRequest&)>;

class FixtureSite {
 public:
  FixtureSite(asio::io_context& io, SiteHandler handler)
      : acceptor_(io, {asio::ip::make_address("127.0.0.1"), 0}), handler_(std::move(handler)) {
    asio::co_spawn(io, acceptAll(), asio::detached);
  }

  UpstreamSite upstream() const {
    const auto port = std::to_string(acceptor_.local_endpoint().port());
    return {"127.0.0.1", port, "http://127.0.0.1:" + port, "127.0.0.1:" + port, "/"};
  }

  std::vector<SiteRequest> requests;  // every request it has read, in order
  int connectionsEnded = 0;

 private:
  asio::awaitable<void> acceptAll() {
    for (;;) {
      auto [ec, socket] = co_await acceptor_.async_accept(kAsTuple);
      if (ec) co_return;
      asio::co_spawn(acceptor_.get_executor(), serve(std::move(socket)), asio::detached);
    }
  }
  asio::awaitable<void> serve(tcp::socket socket) {
    beast::flat_buffer buffer;
    for (;;) {
      SiteRequest request;
      auto [ec, n] = co_await http::async_read(socket, buffer, request, kAsTuple);
      if (ec) break;
      requests.push_back(request);
      if (!co_await handler_(socket, buffer, requests.back())) break;
    }
    ++connectionsEnded;
  }

  tcp::acceptor acceptor_;
  SiteHandler handler_;
};

// Answers with `response` and keeps the connection for another request.
inline asio::awaitable<bool> answerWith(tcp::socket& socket, http::response<http::string_body> response) {
  response.prepare_payload();
  auto [ec, n] = co_await http::async_write(socket, response, kAsTuple);
  co_return !ec;
}

// Reads on until the playground lets the connection go, answering nothing.
inline asio::awaitable<bool> neverAnswer(tcp::socket& socket, beast::flat_buffer& buffer) {
  for (;;) {
    auto [ec, n] = co_await socket.async_read_some(buffer.prepare(4096), kAsTuple);
    if (ec) co_return false;
    buffer.commit(n);
  }
}

// Runs `work` on the queue until it ends; a test that hangs fails after a minute.
template <class T>
T runToEnd(asio::io_context& io, asio::awaitable<T> work) {
  struct Outcome {
    bool done = false;
    std::exception_ptr error;
    std::optional<T> value;
  };
  const auto outcome = std::make_shared<Outcome>();
  asio::co_spawn(io, std::move(work), [outcome](const std::exception_ptr& error, T value) {
    outcome->done = true;
    outcome->error = error;
    outcome->value = std::move(value);
  });
  if (!runIoUntil(io, [&] { return outcome->done; }, std::chrono::seconds(60))) {
    throw std::runtime_error("gave up waiting");
  }
  if (outcome->error) std::rethrow_exception(outcome->error);
  return std::move(*outcome->value);
}

// The playground, with no device started until a tab opens: its HTTP server, its proxy and
// tunnel, its tabs' WebSockets.
class PlaygroundFixture : public ::testing::Test {
 protected:
  ~PlaygroundFixture() override {
    if (!server) return;
    server->stop();
    fleet->stop();
    runIoUntil(io, [&] { return !server->hasConnections() && !fleet->running(); }, std::chrono::seconds(30));
  }

  void startPlayground(Site site, ServerLimits limits = {}) {
    fleet.emplace(io, PlaygroundFiles{PUSHWREN_PLAYGROUND_WEB_DIR, std::nullopt, std::move(site)},
                  DeviceCommand{PUSHWREN_SIM_EXECUTABLE, {"--web", PUSHWREN_PLAYGROUND_WEB_DIR}}, sessions.path);
    server.emplace(io, *fleet, limits);
    server->listen(0);
    fleet->addSharedOption("--playground", std::to_string(server->port()));
  }
  void startSite(SiteHandler handler) { site.emplace(io, std::move(handler)); }

  std::string host() const { return "127.0.0.1:" + std::to_string(server->port()); }

  tcp::socket connect() {
    tcp::socket socket(io);
    socket.connect({asio::ip::make_address("127.0.0.1"), server->port()});
    return socket;
  }

  struct Reply {
    http::response<http::string_body> response;
    bool closed = false;  // it said "Connection: close", and the playground did end the connection
  };

  // Sends `raw` as it is and reads one response; then, when `checkClose` and the response says
  // the connection ends, whether it does.
  Reply send(tcp::socket& socket, std::string raw, bool checkClose = true) {
    return runToEnd(io, exchange(socket, std::move(raw), checkClose));
  }
  static asio::awaitable<Reply> exchange(tcp::socket& socket, std::string raw, bool checkClose) {
    Reply reply;
    beast::flat_buffer buffer;
    co_await asio::async_write(socket, asio::buffer(raw), asio::use_awaitable);
    http::response_parser<http::string_body> parser;
    parser.body_limit(boost::none);
    co_await http::async_read(socket, buffer, parser, asio::use_awaitable);
    reply.response = parser.release();
    if (checkClose && !reply.response.keep_alive()) {
      char byte;
      auto [ec, n] = co_await socket.async_read_some(asio::buffer(&byte, 1), kAsTuple);
      reply.closed = ec && n == 0 && buffer.size() == 0;
    }
    co_return reply;
  }
  Reply send(std::string raw) {
    auto socket = connect();
    return send(socket, std::move(raw));
  }

  asio::io_context io;
  std::optional<FixtureSite> site;
  TempFolder sessions;
  std::optional<DeviceFleet> fleet;
  std::optional<PlaygroundServer> server;
};

}  // namespace pushwren::sim::playground
