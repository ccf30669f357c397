// Any bytes a device process may write, read as frames: no crash, the frames come out the same
// however the bytes are cut into pieces, and written again they read back as themselves.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sim/playground/devices/device_frames.h"

namespace {

using pushwren::sim::playground::Frame;
using pushwren::sim::playground::FrameReader;

// The frames read from `text` fed in pieces of `piece` bytes, and whether the reader refused.
std::vector<Frame> readAll(std::string_view text, std::size_t piece, bool& refused) {
  FrameReader reader;
  std::vector<Frame> frames;
  refused = false;
  for (std::size_t at = 0; at < text.size(); at += piece) {
    auto read = reader.feed(text.substr(at, piece));
    if (!read) {
      refused = true;
      return frames;
    }
    frames.insert(frames.end(), read->begin(), read->end());
  }
  return frames;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  bool refusedWhole = false;
  bool refusedInPieces = false;
  const auto whole = readAll(text, text.size() + 1, refusedWhole);
  const auto inPieces = readAll(text, 1 + size % 7, refusedInPieces);
  if (refusedWhole != refusedInPieces) __builtin_trap();
  if (refusedWhole) return 0;
  if (whole.size() != inPieces.size()) __builtin_trap();
  std::string written;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    const auto& a = whole[i];
    const auto& b = inPieces[i];
    if (a.kind != b.kind || a.ask != b.ask || a.arg != b.arg || a.body != b.body) __builtin_trap();
    written += pushwren::sim::playground::encodeFrame(a);
  }
  // Frames written again read back as themselves.
  bool refusedAgain = false;
  const auto again = readAll(written, written.size() + 1, refusedAgain);
  if (refusedAgain || again.size() != whole.size()) __builtin_trap();
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (again[i].kind != whole[i].kind || again[i].ask != whole[i].ask || again[i].arg != whole[i].arg ||
        again[i].body != whole[i].body) {
      __builtin_trap();
    }
  }
  return 0;
}
