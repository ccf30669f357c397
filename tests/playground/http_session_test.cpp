// One connection to the playground: its own routes' refusals (413, 405), the host and target
// checks, for both kinds of site.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "tests/playground/site_fixture.h"

namespace pushwren::sim::playground {
namespace {

using namespace std::chrono_literals;

class HttpSessionTest : public PlaygroundFixture {
 protected:
  void SetUp() override { startPlayground(FolderSite{PUSHWREN_PLAYGROUND_WEB_DIR "/demo"}); }
};

constexpr std::size_t kLargestOwnBody = 1 << 20;

std::string hex(std::size_t number) {
  std::ostringstream out;
  out << std::hex << number;
  return out.str();
}

TEST_F(HttpSessionTest, ABodyOverTheLimitGets413WhetherAnnouncedOrSent) {
  // Announced: refused before a byte of it is read.
  const auto announced = send("POST /__pushwren/steps HTTP/1.1\r\nHost: " + host() +
                              "\r\nContent-Length: " + std::to_string(kLargestOwnBody + 1) + "\r\n\r\n");
  EXPECT_EQ(announced.response.result(), http::status::payload_too_large);
  EXPECT_NE(announced.response.body().find("too large"), std::string::npos);
  EXPECT_TRUE(announced.closed);

  // Sent in chunks with no length: refused once more than the limit has come, while the client
  // may still be sending (so its write may fail; the answer is read all the same).
  auto socket = connect();
  const auto chunked = std::make_shared<std::string>("POST /__pushwren/steps HTTP/1.1\r\nHost: " + host() +
                                                     "\r\nTransfer-Encoding: chunked\r\n\r\n" +
                                                     hex(kLargestOwnBody + 1) + "\r\n" +
                                                     std::string(kLargestOwnBody + 1, ' '));
  asio::async_write(socket, asio::buffer(*chunked), [chunked](beast::error_code, std::size_t) {});
  const auto sent = runToEnd(io, exchange(socket, "", true));
  EXPECT_EQ(sent.response.result(), http::status::payload_too_large);
  EXPECT_FALSE(sent.response.keep_alive());

  // At the limit exactly, the body is read and judged as steps: no device runs here to take them.
  const auto atLimit = send("POST /__pushwren/steps HTTP/1.1\r\nHost: " + host() + "\r\nContent-Length: " +
                            std::to_string(kLargestOwnBody) + "\r\n\r\n" + std::string(kLargestOwnBody, ' '));
  EXPECT_EQ(atLimit.response.result(), http::status::bad_request);
  EXPECT_NE(atLimit.response.body().find("no device runs"), std::string::npos) << atLimit.response.body();
}

struct Disallowed {
  const char* method;
  const char* path;
  const char* allow;
};

class MethodNotAllowed : public HttpSessionTest, public ::testing::WithParamInterface<Disallowed> {};

TEST_P(MethodNotAllowed, Gets405NamingWhatIs) {
  const auto reply = send(std::string(GetParam().method) + " " + GetParam().path + " HTTP/1.1\r\nHost: " + host() +
                              "\r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(reply.response.result(), http::status::method_not_allowed);
  EXPECT_EQ(reply.response[http::field::allow], GetParam().allow);
  EXPECT_FALSE(reply.closed) << "a refusal with an empty body keeps the connection";
}

INSTANTIATE_TEST_SUITE_P(Table, MethodNotAllowed,
                         ::testing::Values(Disallowed{"PUT", "/__pushwren/steps", "GET, POST"},
                                           Disallowed{"DELETE", "/__pushwren/steps", "GET, POST"},
                                           Disallowed{"POST", "/__pushwren/devices", "GET, HEAD"},
                                           Disallowed{"DELETE", "/__pushwren/", "GET, HEAD"},
                                           // A folder site is files.
                                           Disallowed{"POST", "/index.html", "GET, HEAD"},
                                           Disallowed{"PUT", "/", "GET, HEAD"}));

TEST_F(HttpSessionTest, RequestsForAnotherHostOrAnAbsoluteTargetAreRefused) {
  EXPECT_EQ(send("GET / HTTP/1.1\r\nHost: evil.example\r\n\r\n").response.result(), http::status::misdirected_request);
  EXPECT_EQ(send("GET / HTTP/1.1\r\n\r\n").response.result(), http::status::misdirected_request);
  EXPECT_EQ(send("GET http://evil.example/ HTTP/1.1\r\nHost: " + host() + "\r\n\r\n").response.result(),
            http::status::bad_request);
}

TEST_F(HttpSessionTest, AFolderSitesFilesAreServedWithTheClient) {
  const auto reply = send("GET / HTTP/1.1\r\nHost: " + host() + "\r\nConnection: close\r\n\r\n");
  EXPECT_EQ(reply.response.result(), http::status::ok);
  EXPECT_NE(reply.response.body().find("/__pushwren/pushwren.js"), std::string::npos);
  EXPECT_TRUE(reply.closed);
}

}  // namespace
}  // namespace pushwren::sim::playground
