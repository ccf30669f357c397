#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include <boost/asio/io_context.hpp>
#include <boost/asio/posix/stream_descriptor.hpp>

#include "sim/playground/devices/device_frames.h"

namespace pushwren::sim::playground {

// Frames over a pair of pipe ends: one read, one written, both owned from construction on.
// Writes are queued and go out in order, as few writes as the pipe takes; a write to a pipe
// whose reader has gone is dropped (SIGPIPE must be ignored by the process).
class FramePipe : public std::enable_shared_from_this<FramePipe> {
 public:
  FramePipe(boost::asio::io_context& io, int readEnd, int writeEnd);

  // Hears each frame as it completes, then once that the read end has ended: closed by the
  // other side (`why` empty), or unreadable.
  void start(std::function<void(Frame)> onFrame, std::function<void(const std::string& why)> onEnd);
  void send(const Frame& frame);
  // Bytes sent and not yet written into the pipe: what the other side has not taken yet.
  std::size_t backlog() const { return pending_.size() + writing_.size(); }
  // `then` runs (posted, never inside this call) once everything sent so far has been written,
  // or the pipe is closed or broken: a sender that holds back while the other side is slow
  // hears when to go on.
  void afterWritten(std::function<void()> then);
  // Closes the written end, which the other side reads as the end; reading goes on.
  void closeWriting();
  // Closes both ends; nothing is heard after it.
  void close();

 private:
  void read();
  void write();
  void end(const std::string& why);
  void wrote(std::size_t bytes);
  void releaseWaiting();

  boost::asio::posix::stream_descriptor in_;
  boost::asio::posix::stream_descriptor out_;
  std::array<char, std::size_t{64} * 1024> readBuffer_{};
  FrameReader reader_;
  std::string pending_;
  std::string writing_;
  bool closingWrite_ = false;
  // Bytes ever sent and ever written, so that a wait knows when its own bytes have gone.
  std::uint64_t sent_ = 0;
  std::uint64_t written_ = 0;
  std::deque<std::pair<std::uint64_t, std::function<void()>>> waiting_;
  std::function<void(Frame)> onFrame_;
  std::function<void(const std::string&)> onEnd_;
};

}  // namespace pushwren::sim::playground
