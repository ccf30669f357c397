#include "sim/playground/site/tunnel.h"

#include <boost/asio/write.hpp>
#include <boost/beast/core/buffers_generator.hpp>
#include <boost/beast/http/message_generator.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

#include "sim/playground/server/http_responses.h"
#include "sim/playground/site/relayed_headers.h"
#include "sim/playground/site/upstream_rewrites.h"

namespace pushwren::sim::playground {
namespace beast = boost::beast;
namespace http = beast::http;

namespace {

constexpr std::uint32_t kLargestAnswerHeader = 64 * 1024;
// A refused upgrade's answer is an error page or a short text; it is passed on whole.
constexpr std::uint64_t kLargestRefusal = 1 << 20;

}  // namespace

Tunnel::Tunnel(beast::tcp_stream client, beast::flat_buffer alreadyRead, http::request<http::empty_body> upgrade,
               const UpstreamSite& site, const ProxyLimits& limits)
    : client_(std::move(client)),
      alreadyRead_(std::move(alreadyRead)),
      upgrade_(std::move(upgrade)),
      site_(site),
      limits_(limits),
      resolver_(client_.get_executor()),
      upstream_(client_.get_executor()),
      idle_(client_.get_executor()) {}

void Tunnel::start() {
  const auto host = upgrade_.find(http::field::host);
  const auto origin = "http://" + std::string(host == upgrade_.end() ? "" : host->value());
  const auto protocol = std::string(upgrade_[http::field::upgrade]);
  dropHopByHop(upgrade_);
  upgrade_.set(http::field::connection, "Upgrade");
  upgrade_.set(http::field::upgrade, protocol);
  upgrade_.set(http::field::host, site_.authority);
  if (const auto found = upgrade_.find(http::field::origin); found != upgrade_.end()) {
    upgrade_.set(http::field::origin, addressForSite(found->value(), origin, site_));
  }
  resolver_.async_resolve(site_.host, site_.port, [self = shared_from_this()](beast::error_code ec, const auto& results) {
    if (ec) return self->refuse(http::status::bad_gateway, "its host cannot be found: " + ec.message());
    self->upstream_.expires_after(self->limits_.connect);
    self->upstream_.async_connect(results, [self](beast::error_code ec, const auto&) { self->onConnect(ec); });
  });
}

void Tunnel::onConnect(beast::error_code ec) {
  if (ec == beast::error::timeout) {
    return refuse(http::status::gateway_timeout, "it did not accept a connection in " + spokenDuration(limits_.connect));
  }
  if (ec) return refuse(http::status::bad_gateway, ec.message());
  upstream_.expires_after(limits_.answer);
  http::async_write(upstream_, upgrade_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec) return self->refuse(http::status::bad_gateway, "the upgrade request could not be sent: " + ec.message());
    self->readAnswer();
  });
}

void Tunnel::readAnswer() {
  answer_.emplace();
  answer_->header_limit(kLargestAnswerHeader);
  answer_->body_limit(kLargestRefusal);
  upstream_.expires_after(limits_.answer);
  http::async_read_header(upstream_, upstreamBuffer_, *answer_,
                          [self = shared_from_this()](beast::error_code ec, std::size_t) { self->onAnswer(ec); });
}

void Tunnel::onAnswer(beast::error_code ec) {
  if (ec == beast::error::timeout) {
    return refuse(http::status::gateway_timeout, "it did not answer within " + spokenDuration(limits_.answer));
  }
  if (ec == http::error::end_of_stream) return refuse(http::status::bad_gateway, "it closed the connection without an answer");
  if (ec) return refuse(http::status::bad_gateway, "its answer is not HTTP: " + ec.message());
  const auto status = answer_->get().result_int();
  if (status == 101) return switchProtocols();
  // 100 Continue or 103 Early Hints come before the answer.
  if (status < 200) return readAnswer();
  passRefusal();
}

void Tunnel::switchProtocols() {
  auto& answer = answer_->get();
  const auto protocol = std::string(answer[http::field::upgrade]);
  dropHopByHop(answer);
  answer.set(http::field::connection, "Upgrade");
  answer.set(http::field::upgrade, protocol);
  rewriteForPlayground(answer, site_);
  upstream_.expires_never();
  client_.expires_after(limits_.answer);
  http::async_write(client_, answer, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec) return self->close();
    self->client_.expires_never();
    self->startPiping();
  });
}

void Tunnel::passRefusal() {
  refusal_.emplace(std::move(*answer_));
  refusal_->body_limit(kLargestRefusal);
  upstream_.expires_after(limits_.answer);
  http::async_read(upstream_, upstreamBuffer_, *refusal_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec == http::error::body_limit) return self->refuse(http::status::bad_gateway, "its refusal is over 1 MB");
    if (ec == beast::error::timeout) {
      return self->refuse(http::status::gateway_timeout, "its answer did not arrive within " + spokenDuration(self->limits_.answer));
    }
    if (ec) return self->refuse(http::status::bad_gateway, "its answer was cut short: " + ec.message());
    auto answer = self->refusal_->release();
    dropHopByHop(answer);
    rewriteForPlayground(answer, self->site_);
    answer.erase(http::field::transfer_encoding);
    answer.keep_alive(false);
    answer.prepare_payload();
    beast::error_code ignored;
    self->upstream_.socket().close(ignored);
    self->client_.expires_after(self->limits_.piece);
    beast::async_write(self->client_, http::message_generator(std::move(answer)),
                       [self](beast::error_code, std::size_t) { self->close(); });
  });
}

void Tunnel::startPiping() {
  lastActivity_ = std::chrono::steady_clock::now();
  watchIdle();
  up_.from = &client_.socket();
  up_.to = &upstream_.socket();
  down_.from = &upstream_.socket();
  down_.to = &client_.socket();
  // The site may have sent its first frames with the 101, and the browser its first frames with
  // the upgrade request: each goes on before anything newer.
  boost::asio::async_write(client_.socket(), upstreamBuffer_.data(), [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec) return self->close();
    self->upstreamBuffer_.consume(self->upstreamBuffer_.size());
    self->pump(self->down_);
  });
  boost::asio::async_write(upstream_.socket(), alreadyRead_.data(), [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec) return self->close();
    self->alreadyRead_.consume(self->alreadyRead_.size());
    self->pump(self->up_);
  });
}

void Tunnel::pump(Direction& direction) {
  direction.from->async_read_some(
      boost::asio::buffer(direction.buffer), [self = shared_from_this(), &direction](beast::error_code ec, std::size_t n) {
        if (ec) return self->close();
        self->lastActivity_ = std::chrono::steady_clock::now();
        boost::asio::async_write(*direction.to, boost::asio::buffer(direction.buffer.data(), n),
                                 [self, &direction](beast::error_code ec, std::size_t) {
                                   if (ec) return self->close();
                                   self->lastActivity_ = std::chrono::steady_clock::now();
                                   self->pump(direction);
                                 });
      });
}

void Tunnel::watchIdle() {
  idle_.expires_at(lastActivity_ + limits_.tunnelIdle);
  idle_.async_wait([self = shared_from_this()](beast::error_code ec) {
    if (ec || self->closed_) return;
    if (std::chrono::steady_clock::now() - self->lastActivity_ >= self->limits_.tunnelIdle) return self->close();
    self->watchIdle();
  });
}

void Tunnel::refuse(http::status status, const std::string& why) {
  auto page = errorResponse(status, 11, false, "the site's WebSocket at " + site_.origin + " cannot be reached: " + why);
  beast::error_code ignored;
  upstream_.socket().close(ignored);
  client_.expires_after(limits_.piece);
  beast::async_write(client_, http::message_generator(std::move(page)),
                     [self = shared_from_this()](beast::error_code, std::size_t) { self->close(); });
}

void Tunnel::close() {
  closed_ = true;
  beast::error_code ignored;
  resolver_.cancel();
  idle_.cancel();
  for (auto* socket : {&client_.socket(), &upstream_.socket()}) {
    socket->shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
    socket->close(ignored);
  }
}

}  // namespace pushwren::sim::playground
