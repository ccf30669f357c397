// The reverse proxy in front of a site's own server: what reaches the site, what comes back, and
// the answers of its own when the site is down, stuck, or the request is ambiguous.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include <boost/range/iterator_range_core.hpp>

#include "tests/playground/site_fixture.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;

class ProxyExchangeTest : public PlaygroundFixture {
 protected:
  // A site that answers every request with `response`.
  void startSiteAnswering(const http::response<http::string_body>& response) {
    startSite([response](tcp::socket& socket, beast::flat_buffer&, SiteRequest&) { return answerWith(socket, response); });
    startPlayground(site->upstream());
  }
  std::string get(std::string_view target, std::string_view extra = "") {
    return std::string("GET ") + std::string(target) + " HTTP/1.1\r\nHost: " + host() + "\r\n" + std::string(extra) + "\r\n";
  }
};

http::response<http::string_body> plain(http::status status, std::string body) {
  http::response<http::string_body> response{status, 11};
  response.set(http::field::content_type, "text/plain");
  response.body() = std::move(body);
  return response;
}

TEST_F(ProxyExchangeTest, ASiteThatNeverAnswersGets504OnceItsLimitHasPassed) {
  startSite([](tcp::socket& socket, beast::flat_buffer& buffer, SiteRequest&) { return neverAnswer(socket, buffer); });
  // Only the wait for the answer is short: connecting and sending have limits no machine reaches.
  ServerLimits limits;
  limits.site.answer = 50ms;
  startPlayground(site->upstream(), limits);

  const auto reply = send(get("/stuck"));
  EXPECT_EQ(reply.response.result(), http::status::gateway_timeout);
  EXPECT_NE(reply.response.body().find("did not answer within 50 ms"), std::string::npos) << reply.response.body();
  EXPECT_NE(reply.response.body().find(site->upstream().origin), std::string::npos) << "the page names the site";
  ASSERT_EQ(site->requests.size(), 1u);
  EXPECT_TRUE(runIoUntil(io, [&] { return site->connectionsEnded == 1; }, 30s)) << "the site's connection is let go";
}

TEST_F(ProxyExchangeTest, ASiteThatIsDownGets502SayingWhy) {
  UpstreamSite down;
  {
    // A port that was free a moment ago and has nothing listening now.
    tcp::acceptor taken(io, {asio::ip::make_address("127.0.0.1"), 0});
    const auto port = std::to_string(taken.local_endpoint().port());
    down = {"127.0.0.1", port, "http://127.0.0.1:" + port, "127.0.0.1:" + port, "/"};
  }
  startPlayground(down);
  const auto reply = send(get("/"));
  EXPECT_EQ(reply.response.result(), http::status::bad_gateway);
  EXPECT_NE(reply.response.body().find("Connection refused"), std::string::npos) << reply.response.body();
  EXPECT_FALSE(reply.closed) << "the browser's connection carries on";
}

TEST_F(ProxyExchangeTest, ARedirectAndCookiesNameThePlaygroundAndNoOtherHost) {
  startSite([](tcp::socket& socket, beast::flat_buffer&, SiteRequest& request) -> asio::awaitable<bool> {
    auto response = plain(http::status::found, "");
    const auto self = "http://" + std::string(request[http::field::host]);
    response.set(http::field::location, request.target() == "/home" ? self + "/home?x=1" : self + "//evil.example/x");
    response.insert(http::field::set_cookie, "a=1; Domain=localhost; Path=/");
    response.insert(http::field::set_cookie, "b=2; Path=/; Domain=127.0.0.1; HttpOnly");
    response.set("X-Frame-Options", "DENY");
    response.set("Content-Security-Policy", "frame-ancestors 'none'; script-src 'self'");
    co_return co_await answerWith(socket, std::move(response));
  });
  startPlayground(site->upstream());

  const auto home = send(get("/home"));
  EXPECT_EQ(home.response[http::field::location], "/home?x=1");
  const auto evil = send(get("/open"));
  EXPECT_EQ(evil.response[http::field::location], "/.//evil.example/x") << "a path of the playground, not //evil.example";

  std::vector<std::string> cookies;
  for (const auto& field : boost::make_iterator_range(evil.response.equal_range(http::field::set_cookie))) {
    cookies.emplace_back(field.value());
  }
  EXPECT_EQ(cookies, (std::vector<std::string>{"a=1; Path=/", "b=2; Path=/; HttpOnly"}));
  EXPECT_EQ(evil.response.count("X-Frame-Options"), 0u);
  EXPECT_EQ(evil.response["Content-Security-Policy"], "script-src 'self'");
}

TEST_F(ProxyExchangeTest, FieldsForOneConnectionStayOnIt) {
  auto answer = plain(http::status::ok, "fine");
  answer.set(http::field::connection, "X-Internal");
  answer.set("X-Internal", "the site's own");
  answer.set("X-Public", "yes");
  startSiteAnswering(answer);

  const std::string body = "hello";
  const auto reply = send("POST /echo HTTP/1.1\r\nHost: " + host() +
                          "\r\nConnection: keep-alive, X-Secret, Content-Length, Host\r\nX-Secret: 1\r\n"
                          "Keep-Alive: timeout=5\r\nTE: trailers\r\nProxy-Authorization: Basic eDp5\r\n"
                          "Upgrade: h2c\r\nX-Kept: yes\r\nContent-Length: 5\r\n\r\n" + body);
  ASSERT_EQ(reply.response.result(), http::status::ok);
  EXPECT_EQ(reply.response.count("X-Internal"), 0u);
  EXPECT_EQ(reply.response["X-Public"], "yes");

  ASSERT_EQ(site->requests.size(), 1u);
  const auto& seen = site->requests.front();
  EXPECT_EQ(seen.body(), body) << "a Connection header cannot take the body's length away";
  EXPECT_EQ(seen[http::field::host], site->upstream().authority);
  EXPECT_EQ(seen["X-Kept"], "yes");
  for (const auto* dropped : {"X-Secret", "Keep-Alive", "TE", "Proxy-Authorization", "Upgrade"}) {
    EXPECT_EQ(seen.count(dropped), 0u) << dropped;
  }
}

TEST_F(ProxyExchangeTest, AChunkedUploadAndSeveralRequestsShareOneConnection) {
  startSite([](tcp::socket& socket, beast::flat_buffer&, SiteRequest& request) {
    return answerWith(socket, plain(http::status::ok, "got " + request.body()));
  });
  startPlayground(site->upstream());
  auto socket = connect();
  const auto first = send(socket,
                          "POST /a HTTP/1.1\r\nHost: " + host() +
                              "\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n",
                          false);
  EXPECT_EQ(first.response.body(), "got abcde");
  const auto second = send(socket, get("/b"), false);
  EXPECT_EQ(second.response.body(), "got ");
  EXPECT_EQ(site->requests.size(), 2u);
}

// A chunked body passes on as one chunked body: an empty read from the site adds no chunk of its
// own (an empty chunk ends the body, and what follows would be read as the next response).
TEST_F(ProxyExchangeTest, ChunkedAnswersEndOnceAndTheConnectionCarriesOn) {
  startSite([](tcp::socket& socket, beast::flat_buffer&, SiteRequest& request) -> asio::awaitable<bool> {
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nTransfer-Encoding: chunked\r\n\r\n";
    if (request.target() == "/empty") {
      co_await asio::async_write(socket, asio::buffer(head + "0\r\n\r\n"), asio::use_awaitable);
    } else {
      co_await asio::async_write(socket, asio::buffer(head + "3\r\nabc\r\n"), asio::use_awaitable);
      co_await asio::async_write(socket, asio::buffer(std::string("2\r\nde\r\n")), asio::use_awaitable);
      co_await asio::async_write(socket, asio::buffer(std::string("0\r\n\r\n")), asio::use_awaitable);
    }
    co_return true;
  });
  startPlayground(site->upstream());
  auto socket = connect();
  for (const auto* target : {"/empty", "/pieces", "/empty", "/pieces"}) {
    const auto reply = send(socket, get(target), false);
    EXPECT_EQ(reply.response.result(), http::status::ok) << target;
    EXPECT_EQ(reply.response.body(), std::string_view(target) == "/empty" ? "" : "abcde") << target;
  }
  // Nothing more than the four answers came.
  const auto last = send(socket, get("/empty", "Connection: close\r\n"));
  EXPECT_EQ(last.response.body(), "");
  EXPECT_TRUE(last.closed);
}

struct Framing {
  const char* fields;
  const char* says;
};

void PrintTo(const Framing& framing, std::ostream* out) { *out << framing.fields; }

class AmbiguousFraming : public ProxyExchangeTest, public ::testing::WithParamInterface<Framing> {};

// Read one way by the playground and another by the site, such a request would smuggle a second
// one past the playground's checks: it is refused, its connection closed, and the site never
// hears of it. The playground's own routes refuse it the same way.
TEST_P(AmbiguousFraming, IsRefusedWith400AndNeverPassedOn) {
  startSiteAnswering(plain(http::status::ok, "should not be asked"));
  for (const auto* path : {"/site-page", "/__pushwren/steps"}) {
    const auto reply = send(std::string("POST ") + path + " HTTP/1.1\r\nHost: " + host() + "\r\n" + GetParam().fields +
                            "\r\n0\r\n\r\nGET /smuggled HTTP/1.1\r\nHost: evil.example\r\n\r\n");
    EXPECT_EQ(reply.response.result(), http::status::bad_request) << path;
    EXPECT_NE(reply.response.body().find(GetParam().says), std::string::npos) << reply.response.body();
    EXPECT_TRUE(reply.closed) << path;
  }
  EXPECT_TRUE(site->requests.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, AmbiguousFraming,
    ::testing::Values(Framing{"Transfer-Encoding: chunked, identity\r\n", "\\\"chunked, identity\\\" is not supported"},
                      Framing{"Transfer-Encoding: identity\r\n", "\\\"identity\\\" is not supported"},
                      Framing{"Transfer-Encoding: xchunked\r\n", "\\\"xchunked\\\" is not supported"},
                      Framing{"Transfer-Encoding: gzip\r\nTransfer-Encoding: chunked\r\n", "\\\"gzip, chunked\\\""},
                      Framing{"Transfer-Encoding: chunked;ext=1\r\n", "is not supported"},
                      Framing{"Transfer-Encoding: identity\r\nContent-Length: 5\r\n", "not both"},
                      Framing{"Content-Length: 5\r\nTransfer-Encoding: identity\r\n", "Transfer-Encoding"},
                      Framing{"Content-Length: 5\r\nTransfer-Encoding: chunked\r\n", "malformed request"},
                      Framing{"Transfer-Encoding: chunked\r\nContent-Length: 5\r\n", "malformed request"},
                      Framing{"Content-Length: 5\r\nContent-Length: 6\r\n", "malformed request"}));

TEST_F(ProxyExchangeTest, TransferEncodingNeedsHttp11) {
  startSiteAnswering(plain(http::status::ok, "should not be asked"));
  const auto reply = send("POST / HTTP/1.0\r\nHost: " + host() + "\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n");
  EXPECT_EQ(reply.response.result(), http::status::bad_request);
  EXPECT_NE(reply.response.body().find("needs HTTP/1.1"), std::string::npos) << reply.response.body();
  EXPECT_TRUE(site->requests.empty());
}

}  // namespace
}  // namespace pushwren::sim::playground
