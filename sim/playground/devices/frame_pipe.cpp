#include "sim/playground/devices/frame_pipe.h"

#include <boost/asio/post.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

namespace pushwren::sim::playground {

FramePipe::FramePipe(boost::asio::io_context& io, int readEnd, int writeEnd) : in_(io, readEnd), out_(io, writeEnd) {}

void FramePipe::start(std::function<void(Frame)> onFrame, std::function<void(const std::string&)> onEnd) {
  onFrame_ = std::move(onFrame);
  onEnd_ = std::move(onEnd);
  read();
}

void FramePipe::send(const Frame& frame) {
  if (!out_.is_open() || closingWrite_) return;
  const auto bytes = encodeFrame(frame);
  sent_ += bytes.size();
  pending_ += bytes;
  if (writing_.empty()) write();
}

void FramePipe::afterWritten(std::function<void()> then) {
  if (sent_ == written_ || !out_.is_open()) return boost::asio::post(out_.get_executor(), std::move(then));
  waiting_.emplace_back(sent_, std::move(then));
}

void FramePipe::wrote(std::size_t bytes) {
  written_ += bytes;
  while (!waiting_.empty() && waiting_.front().first <= written_) {
    boost::asio::post(out_.get_executor(), std::move(waiting_.front().second));
    waiting_.pop_front();
  }
}

// Nothing more will be written: whoever waits goes on.
void FramePipe::releaseWaiting() {
  for (auto& [mark, then] : waiting_) boost::asio::post(out_.get_executor(), std::move(then));
  waiting_.clear();
}

void FramePipe::write() {
  writing_.swap(pending_);
  boost::asio::async_write(out_, boost::asio::buffer(writing_),
                           [self = shared_from_this()](boost::system::error_code ec, std::size_t size) {
                             self->writing_.clear();
                             if (ec) {
                               self->pending_.clear();
                               boost::system::error_code ignored;
                               self->out_.close(ignored);
                               return self->releaseWaiting();
                             }
                             self->wrote(size);
                             if (!self->pending_.empty()) return self->write();
                             if (self->closingWrite_) {
                               boost::system::error_code ignored;
                               self->out_.close(ignored);
                             }
                           });
}

void FramePipe::closeWriting() {
  closingWrite_ = true;
  if (writing_.empty()) {
    boost::system::error_code ignored;
    out_.close(ignored);
    releaseWaiting();
  }
}

void FramePipe::close() {
  onFrame_ = nullptr;
  onEnd_ = nullptr;
  boost::system::error_code ignored;
  in_.close(ignored);
  out_.close(ignored);
  releaseWaiting();
}

void FramePipe::read() {
  in_.async_read_some(boost::asio::buffer(readBuffer_), [self = shared_from_this()](boost::system::error_code ec,
                                                                                      std::size_t size) {
    if (ec == boost::asio::error::operation_aborted) return;
    if (ec) return self->end(ec == boost::asio::error::eof ? std::string() : ec.message());
    auto frames = self->reader_.feed(std::string_view(self->readBuffer_.data(), size));
    if (!frames) return self->end(self->reader_.error());
    for (auto& frame : *frames) {
      if (!self->onFrame_) return;
      self->onFrame_(std::move(frame));
    }
    self->read();
  });
}

void FramePipe::end(const std::string& why) {
  if (auto onEnd = std::exchange(onEnd_, nullptr)) onEnd(why);
}

}  // namespace pushwren::sim::playground
