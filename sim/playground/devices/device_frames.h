#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pushwren::sim::playground {

// What the playground and a device process say to each other over the device's pipes: frames of
// a header line "KIND ASK ARG LENGTH\n" and LENGTH bytes of body. The body goes as it is, so a
// page's message or a scenario passes unescaped and unparsed.
//
// To the device:
//   open 0 - 0         a tab shows the device from now on
//   said 0 - N         what the tab said (a page message, page_messages.h)
//   close 0 - 0        the tab has gone
//   steps ASK BY N     scenario steps from BY ("panel", "script"); answered with ASK once they
//                      and every request before them have run
//   session ASK jsonl|trace 0
//                      answered with the length in bytes its session file has now, as decimal
//                      text: the session itself is read from the file, never sent as a frame
//   pushState ASK - 0  the state the push API targets it by (push_hooks.h)
//   pushBadge ASK - N  a notification's badge for the home screen
// From the device:
//   ready 0 - 0        it has started and launched, or waits for its relaunch
//   alive 0 - 0        every kHeartbeat while its main queue runs, in the middle of a step too
//   page 0 - N         a message for the tab
//   answer ASK STATUS N
// How often a device says it is alive; the playground takes a device silent far longer than this
// as hung.
inline constexpr std::chrono::seconds kHeartbeat{1};

struct Frame {
  std::string kind;
  std::uint64_t ask = 0;
  std::string arg = "-";
  std::string body;
};

std::string encodeFrame(const Frame& frame);

// Reads frames out of a byte stream that arrives in pieces of any size.
class FrameReader {
 public:
  // Frames larger than this are refused: a message from a tab or a request's steps is at most
  // 1 MiB; an answer carries the trace lines of one request's steps.
  static constexpr std::size_t kLargestBody = 256u << 20;

  // Adds bytes; returns the frames they complete, or nothing when the stream is not frames (the
  // reader is then spent: `error()` says why).
  std::optional<std::vector<Frame>> feed(std::string_view bytes);
  const std::string& error() const { return error_; }

 private:
  bool readHeader(std::string_view line);

  std::string buffer_;
  std::optional<Frame> partial_;
  std::size_t bodyLength_ = 0;
  std::string error_;
};

}  // namespace pushwren::sim::playground
