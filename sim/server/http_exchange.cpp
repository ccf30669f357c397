#include "sim/server/http_exchange.h"

#include <boost/beast/http/read.hpp>
#include <boost/beast/http/write.hpp>

namespace pushwren::sim {

namespace http = boost::beast::http;
using boost::asio::ip::tcp;

HttpExchange::HttpExchange(tcp::socket socket) : socket_(std::move(socket)) {}

void HttpExchange::readRequest(std::function<void(std::shared_ptr<HttpExchange>, ReceivedRequest)> received) {
  http::async_read(socket_, buffer_, request_,
                   [self = shared_from_this(), received = std::move(received)](boost::beast::error_code ec, std::size_t) {
                     if (ec) return;
                     ReceivedRequest request{std::string(self->request_.method_string()),
                                             std::string(self->request_.target()),
                                             {}};
                     for (const auto& field : self->request_) {
                       request.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
                     }
                     received(self, std::move(request));
                   });
}

void HttpExchange::wait(std::chrono::milliseconds delay, std::function<void()> then) {
  if (delay.count() <= 0) {
    then();
    return;
  }
  timer_.emplace(socket_.get_executor(), delay);
  timer_->async_wait([self = shared_from_this(), then = std::move(then)](boost::beast::error_code ec) {
    if (!ec) then();
  });
}

void HttpExchange::answer(const ServedResponse& served) {
  if (served.drop) {
    close();
    return;
  }
  try {
    response_.version(11);
    response_.result(static_cast<unsigned>(served.status));
    // 204 and 304 carry no body and no length.
    if (served.status != 204 && served.status != 304) {
      response_.body() = served.body;
      response_.prepare_payload();
    }
    for (const auto& [name, value] : served.headers) response_.set(name, value);
    // A body sent in chunks has no length up front.
    if (response_.chunked()) response_.erase(http::field::content_length);
    response_.keep_alive(false);
  } catch (const std::exception&) {
    // Only a response that unservable() refuses gets here; the client sees the connection close.
    close();
    return;
  }
  http::async_write(socket_, response_, [self = shared_from_this()](boost::beast::error_code, std::size_t) {
    self->close();
  });
}

void HttpExchange::close() {
  boost::beast::error_code ignored;
  socket_.shutdown(tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
}

}  // namespace pushwren::sim
