#include "sim/playground/site/tunnel.h"

#include <chrono>

#include <boost/asio/write.hpp>
#include <boost/beast/core/buffers_generator.hpp>
#include <boost/beast/http/message_generator.hpp>
#include <boost/beast/http/write.hpp>

#include "sim/playground/server/http_responses.h"
#include "sim/playground/site/upstream_rewrites.h"

namespace pushwren::sim::playground {
namespace beast = boost::beast;
namespace http = beast::http;

Tunnel::Tunnel(beast::tcp_stream client, beast::flat_buffer alreadyRead, http::request<http::empty_body> upgrade,
               const UpstreamSite& site)
    : client_(std::move(client)),
      alreadyRead_(std::move(alreadyRead)),
      upgrade_(std::move(upgrade)),
      site_(site),
      resolver_(client_.get_executor()),
      upstream_(client_.get_executor()) {}

void Tunnel::start() {
  const auto host = upgrade_.find(http::field::host);
  const auto origin = "http://" + std::string(host == upgrade_.end() ? "" : host->value());
  upgrade_.set(http::field::host, site_.authority);
  if (const auto found = upgrade_.find(http::field::origin); found != upgrade_.end()) {
    upgrade_.set(http::field::origin, addressForSite(found->value(), origin, site_));
  }
  resolver_.async_resolve(site_.host, site_.port, [self = shared_from_this()](beast::error_code ec, const auto& results) {
    if (ec) return self->refuse("its host cannot be found: " + ec.message());
    self->upstream_.expires_after(std::chrono::seconds(5));
    self->upstream_.async_connect(results, [self](beast::error_code ec, const auto&) { self->onConnect(ec); });
  });
}

void Tunnel::onConnect(beast::error_code ec) {
  if (ec) return refuse(ec.message());
  upstream_.expires_never();
  http::async_write(upstream_, upgrade_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
    if (ec) return self->close();
    // Whatever the browser sent after its upgrade request is already in our buffer.
    boost::asio::async_write(self->upstream_.socket(), self->alreadyRead_.data(),
                             [self](beast::error_code ec, std::size_t) {
                               if (ec) return self->close();
                               self->alreadyRead_.consume(self->alreadyRead_.size());
                               self->up_.from = &self->client_.socket();
                               self->up_.to = &self->upstream_.socket();
                               self->down_.from = &self->upstream_.socket();
                               self->down_.to = &self->client_.socket();
                               self->pump(self->up_);
                               self->pump(self->down_);
                             });
  });
}

void Tunnel::pump(Direction& direction) {
  direction.from->async_read_some(
      boost::asio::buffer(direction.buffer), [self = shared_from_this(), &direction](beast::error_code ec, std::size_t n) {
        if (ec) return self->close();
        boost::asio::async_write(*direction.to, boost::asio::buffer(direction.buffer.data(), n),
                                 [self, &direction](beast::error_code ec, std::size_t) {
                                   if (ec) return self->close();
                                   self->pump(direction);
                                 });
      });
}

void Tunnel::refuse(const std::string& why) {
  auto page = errorResponse(http::status::bad_gateway, 11, false,
                            "the site's WebSocket at " + site_.origin + " cannot be reached: " + why);
  client_.expires_after(std::chrono::seconds(10));
  beast::async_write(client_, http::message_generator(std::move(page)),
                     [self = shared_from_this()](beast::error_code, std::size_t) { self->close(); });
}

void Tunnel::close() {
  beast::error_code ignored;
  resolver_.cancel();
  for (auto* socket : {&client_.socket(), &upstream_.socket()}) {
    socket->shutdown(boost::asio::ip::tcp::socket::shutdown_both, ignored);
    socket->close(ignored);
  }
}

}  // namespace pushwren::sim::playground
