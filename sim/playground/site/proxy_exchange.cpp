#include "sim/playground/site/proxy_exchange.h"

#include <chrono>
#include <vector>

#include <boost/asio/connect.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/string.hpp>
#include <boost/beast/core/buffers_generator.hpp>
#include <boost/beast/http/message_generator.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include "sim/playground/site/client_script.h"
#include "sim/playground/server/http_responses.h"
#include "sim/playground/site/relayed_headers.h"
#include "sim/playground/site/static_files.h"
#include "sim/playground/site/upstream_rewrites.h"

namespace pushwren::sim::playground {
namespace beast = boost::beast;
namespace http = beast::http;

namespace {

constexpr std::uint32_t kLargestResponseHeader = 64 * 1024;
// An HTML document is held whole while the page client is added; a larger one is no page.
constexpr std::uint64_t kLargestHtml = 32u << 20;

bool carriesBody(unsigned status, bool head) { return !head && status >= 200 && status != 204 && status != 304; }

std::string playgroundOrigin(const http::fields& request) {
  const auto host = request.find(http::field::host);
  return "http://" + std::string(host == request.end() ? "" : host->value());
}

}  // namespace

ProxyExchange::ProxyExchange(beast::tcp_stream& client, beast::flat_buffer& clientBuffer, RequestHeader&& header,
                             const UpstreamSite& site, const ProxyLimits& limits, std::shared_ptr<void> owner,
                             std::function<void(bool)> done)
    : client_(client),
      clientBuffer_(clientBuffer),
      request_(std::move(header)),
      site_(site),
      limits_(limits),
      owner_(std::move(owner)),
      done_(std::move(done)),
      resolver_(client.get_executor()),
      upstream_(client.get_executor()),
      target_(request_.get().target()),
      keepAlive_(request_.get().keep_alive()),
      head_(request_.get().method() == http::verb::head) {}

void ProxyExchange::start() {
  auto& request = request_.get();
  const auto origin = playgroundOrigin(request);
  dropHopByHop(request);
  // The body is streamed on as it comes: the browser is told to go on right away (below), and
  // the site's server is not asked.
  expectsContinue_ = beast::iequals(request[http::field::expect], "100-continue");
  request.erase(http::field::expect);
  request.version(11);
  request.set(http::field::host, site_.authority);
  request.set(http::field::accept_encoding, "identity");
  request.set(http::field::connection, "close");
  for (const auto field : {http::field::origin, http::field::referer}) {
    const auto found = request.find(field);
    if (found != request.end()) request.set(field, addressForSite(found->value(), origin, site_));
  }
  resolver_.async_resolve(site_.host, site_.port,
                          [self = shared_from_this()](beast::error_code ec, const auto& results) {
                            self->onResolve(ec, results);
                          });
}

void ProxyExchange::close() {
  beast::error_code ignored;
  resolver_.cancel();
  upstream_.socket().close(ignored);
}

void ProxyExchange::onResolve(beast::error_code ec, const boost::asio::ip::tcp::resolver::results_type& results) {
  if (ec) return fail(http::status::bad_gateway, "its host cannot be found: " + ec.message());
  upstream_.expires_after(limits_.connect);
  upstream_.async_connect(results, [self = shared_from_this()](beast::error_code ec, const auto&) { self->onConnect(ec); });
}

void ProxyExchange::onConnect(beast::error_code ec) {
  if (ec == beast::error::timeout) {
    return fail(http::status::gateway_timeout, "it did not accept a connection in " + spokenDuration(limits_.connect));
  }
  if (ec) return fail(http::status::bad_gateway, ec.message());
  beast::error_code ignored;
  upstream_.socket().set_option(boost::asio::ip::tcp::no_delay(true), ignored);
  requestOut_.emplace(request_.get());
  if (expectsContinue_ && !request_.is_done()) {
    static constexpr std::string_view kContinue = "HTTP/1.1 100 Continue\r\n\r\n";
    client_.expires_after(limits_.piece);
    return boost::asio::async_write(client_, boost::asio::buffer(kContinue.data(), kContinue.size()),
                                    [self = shared_from_this()](beast::error_code ec, std::size_t) {
                                      if (ec) return self->finish(false);
                                      self->readRequestPiece();
                                    });
  }
  if (request_.is_done()) {
    auto& body = request_.get().body();
    body.data = nullptr;
    body.size = 0;
    body.more = false;
    return writeRequestPiece();
  }
  readRequestPiece();
}

void ProxyExchange::readRequestPiece() {
  auto& body = request_.get().body();
  body.data = piece_.data();
  body.size = piece_.size();
  client_.expires_after(limits_.piece);
  http::async_read(client_, clientBuffer_, request_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec == http::error::need_buffer) ec = {};
    if (ec) {
      self->keepAlive_ = false;
      return self->finish(false);
    }
    auto& body = self->request_.get().body();
    body.size = self->piece_.size() - body.size;
    // An empty piece with data would go out as an empty chunk, which ends a chunked body early.
    body.data = body.size == 0 ? nullptr : self->piece_.data();
    body.more = !self->request_.is_done();
    self->writeRequestPiece();
  });
}

void ProxyExchange::writeRequestPiece() {
  upstream_.expires_after(limits_.piece);
  http::async_write(upstream_, *requestOut_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec == http::error::need_buffer) ec = {};
    if (ec) {
      // What is left of the request body is never read, so the connection cannot go on.
      self->keepAlive_ = self->keepAlive_ && self->request_.is_done();
      return self->fail(http::status::bad_gateway, "the request could not be sent: " + ec.message());
    }
    if (!self->request_.is_done()) return self->readRequestPiece();
    if (!self->requestOut_->is_done()) {
      auto& body = self->request_.get().body();
      body.data = nullptr;
      body.size = 0;
      body.more = false;
      return self->writeRequestPiece();
    }
    self->readResponseHeader();
  });
}

void ProxyExchange::readResponseHeader() {
  responseHeader_.emplace();
  responseHeader_->header_limit(kLargestResponseHeader);
  responseHeader_->body_limit(boost::none);
  if (head_) responseHeader_->skip(true);
  upstream_.expires_after(limits_.answer);
  http::async_read_header(upstream_, upstreamBuffer_, *responseHeader_,
                          [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onResponseHeader(ec); });
}

void ProxyExchange::onResponseHeader(beast::error_code ec) {
  if (ec == beast::error::timeout) {
    return fail(http::status::gateway_timeout, "it did not answer within " + spokenDuration(limits_.answer));
  }
  if (ec == http::error::header_limit) return fail(http::status::bad_gateway, "its response header is over 64 KB");
  if (ec == http::error::end_of_stream) return fail(http::status::bad_gateway, "it closed the connection without an answer");
  if (ec) return fail(http::status::bad_gateway, "its response is not HTTP: " + ec.message());

  auto& response = responseHeader_->get();
  // An interim answer (100 Continue, 103 Early Hints) is not the response; the next one is.
  if (response.result_int() < 200 && response.result_int() != 101) return readResponseHeader();
  dropHopByHop(response);
  response.version(11);
  rewriteForPlayground(response, site_);
  response.keep_alive(keepAlive_);

  const auto type = response.find(http::field::content_type);
  if (carriesBody(response.result_int(), head_) && type != response.end() && isHtml(type->value())) return passHtml();

  response_.emplace(std::move(*responseHeader_));
  auto& relayed = response_->get();
  // A body that runs to the end of the connection goes on in chunks, so the browser's
  // connection can carry the next request.
  if (carriesBody(relayed.result_int(), head_) && !response_->content_length() && !response_->chunked()) {
    relayed.chunked(true);
  }
  responseOut_.emplace(relayed);
  answered_ = true;
  if (response_->is_done()) {
    relayed.body().data = nullptr;
    relayed.body().size = 0;
    relayed.body().more = false;
    return writeResponsePiece();
  }
  readResponsePiece();
}

void ProxyExchange::passHtml() {
  html_.emplace(std::move(*responseHeader_));
  html_->body_limit(kLargestHtml);
  upstream_.expires_after(limits_.answer);
  http::async_read(upstream_, upstreamBuffer_, *html_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec == http::error::body_limit) return self->fail(http::status::bad_gateway, "its HTML document is over 32 MB");
    if (ec == beast::error::timeout) {
      return self->fail(http::status::gateway_timeout, "its page did not arrive within " + spokenDuration(self->limits_.answer));
    }
    if (ec) return self->fail(http::status::bad_gateway, "its page was cut short: " + ec.message());
    auto page = self->html_->release();
    page.erase(http::field::transfer_encoding);
    page.erase(http::field::content_length);
    page.body() = withClientScript(page.body());
    page.keep_alive(self->keepAlive_);
    page.prepare_payload();
    self->answered_ = true;
    self->client_.expires_after(self->limits_.piece);
    beast::async_write(self->client_, http::message_generator(std::move(page)),
                       [self](beast::error_code ec, std::size_t) { self->finish(!ec && self->keepAlive_); });
  });
}

void ProxyExchange::readResponsePiece() {
  auto& body = response_->get().body();
  body.data = piece_.data();
  body.size = piece_.size();
  upstream_.expires_after(limits_.piece);
  http::async_read(upstream_, upstreamBuffer_, *response_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec == http::error::need_buffer) ec = {};
    // The browser already has the header: all that can be done is to end its connection.
    if (ec) return self->finish(false);
    auto& body = self->response_->get().body();
    body.size = self->piece_.size() - body.size;
    // An empty piece with data would go out as an empty chunk, which ends a chunked body early.
    body.data = body.size == 0 ? nullptr : self->piece_.data();
    body.more = !self->response_->is_done();
    self->writeResponsePiece();
  });
}

void ProxyExchange::writeResponsePiece() {
  client_.expires_after(limits_.piece);
  http::async_write(client_, *responseOut_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec == http::error::need_buffer) ec = {};
    if (ec) return self->finish(false);
    if (!self->response_->is_done()) return self->readResponsePiece();
    if (!self->responseOut_->is_done()) {
      auto& body = self->response_->get().body();
      body.data = nullptr;
      body.size = 0;
      body.more = false;
      return self->writeResponsePiece();
    }
    self->finish(self->keepAlive_);
  });
}

void ProxyExchange::fail(http::status status, const std::string& why) {
  if (answered_) return finish(false);
  answered_ = true;
  // A request body not read to its end leaves the connection unusable for another request.
  keepAlive_ = keepAlive_ && request_.is_done();
  const auto text = "The playground could not load " + target_ + " from " + site_.origin + ": " + why +
                    ". Once the site's server runs again, reload.";
  auto page = errorPage(status, 11, keepAlive_, "The site at " + site_.origin + " cannot be reached", text);
  client_.expires_after(limits_.piece);
  beast::async_write(client_, http::message_generator(std::move(page)),
                     [self = shared_from_this()](beast::error_code ec, std::size_t) {
                       self->finish(!ec && self->keepAlive_);
                     });
}

void ProxyExchange::finish(bool keepAlive) {
  if (finished_) return;
  finished_ = true;
  close();
  auto done = std::move(done_);
  owner_.reset();
  done(keepAlive);
}

}  // namespace pushwren::sim::playground
