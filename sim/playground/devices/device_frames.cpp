#include "sim/playground/devices/device_frames.h"

#include <charconv>

namespace pushwren::sim::playground {
namespace {

// Kinds and arguments are short words: a header longer than this is not one.
constexpr std::size_t kLongestHeader = 128;

bool isWord(std::string_view text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c <= ' ' || c > '~') return false;
  }
  return true;
}

template <class Number>
bool readNumber(std::string_view text, Number& number) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
  return ec == std::errc() && end == text.data() + text.size();
}

}  // namespace

std::string encodeFrame(const Frame& frame) {
  std::string text = frame.kind;
  text += ' ';
  text += std::to_string(frame.ask);
  text += ' ';
  text += frame.arg.empty() ? "-" : frame.arg;
  text += ' ';
  text += std::to_string(frame.body.size());
  text += '\n';
  text += frame.body;
  return text;
}

bool FrameReader::readHeader(std::string_view line) {
  std::string_view fields[4];
  for (auto& field : fields) {
    const auto space = line.find(' ');
    field = line.substr(0, space);
    line = space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
  }
  Frame frame;
  std::size_t length = 0;
  if (!line.empty() || !isWord(fields[0]) || !isWord(fields[2]) || !readNumber(fields[1], frame.ask) ||
      !readNumber(fields[3], length)) {
    error_ = "not a frame header: \"" + std::string(fields[0]) + " ...\"";
    return false;
  }
  if (length > kLargestBody) {
    error_ = "a frame of " + std::to_string(length) + " bytes is over the limit";
    return false;
  }
  frame.kind = fields[0];
  frame.arg = fields[2];
  bodyLength_ = length;
  partial_ = std::move(frame);
  return true;
}

std::optional<std::vector<Frame>> FrameReader::feed(std::string_view bytes) {
  if (!error_.empty()) return std::nullopt;
  buffer_.append(bytes);
  std::vector<Frame> frames;
  std::size_t used = 0;
  for (;;) {
    if (!partial_) {
      const auto end = buffer_.find('\n', used);
      if (end == std::string::npos) {
        if (buffer_.size() - used > kLongestHeader) {
          error_ = "a frame header runs on without an end";
          return std::nullopt;
        }
        break;
      }
      if (end - used > kLongestHeader || !readHeader(std::string_view(buffer_).substr(used, end - used))) {
        if (error_.empty()) error_ = "a frame header runs on without an end";
        return std::nullopt;
      }
      used = end + 1;
    }
    if (buffer_.size() - used < bodyLength_) break;
    partial_->body.assign(buffer_, used, bodyLength_);
    used += bodyLength_;
    frames.push_back(std::move(*partial_));
    partial_.reset();
  }
  buffer_.erase(0, used);
  return frames;
}

}  // namespace pushwren::sim::playground
