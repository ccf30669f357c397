#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sim/playground/devices/device_frames.h"

namespace pushwren::sim::playground {
namespace {

bool sameFrames(const std::vector<Frame>& a, const std::vector<Frame>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].kind != b[i].kind || a[i].ask != b[i].ask || a[i].arg != b[i].arg || a[i].body != b[i].body) return false;
  }
  return true;
}

// Bodies hold what a page or a scenario holds: newlines, spaces, anything.
const std::vector<Frame> kFrames = {
    {"ready", 0, "-", ""},
    {"said", 0, "-", R"({"type":"bridge","id":1,"url":"pushwren://onesignal/info"})"},
    {"steps", 7, "script", "{\"do\":\"launch\"}\n{\"do\":\"relaunch\"}\n"},
    {"answer", 18446744073709551615u, "400", "line one\nsteps 1 - 3\nnot a header"},
    {"page", 0, "-", std::string("\0\xff\n", 3)},
};

TEST(DeviceFrames, ArriveWholeHoweverTheBytesAreCut) {
  std::string stream;
  for (const auto& frame : kFrames) stream += encodeFrame(frame);
  for (std::size_t piece = 1; piece <= stream.size(); piece += piece < 8 ? 1 : 17) {
    FrameReader reader;
    std::vector<Frame> read;
    for (std::size_t at = 0; at < stream.size(); at += piece) {
      auto frames = reader.feed(std::string_view(stream).substr(at, piece));
      ASSERT_TRUE(frames) << reader.error();
      read.insert(read.end(), frames->begin(), frames->end());
    }
    EXPECT_TRUE(sameFrames(read, kFrames)) << "pieces of " << piece << " bytes";
  }
}

TEST(DeviceFrames, AnEmptyArgumentIsWrittenAsADash) {
  EXPECT_EQ(encodeFrame({"open", 0, "", ""}), "open 0 - 0\n");
}

struct NotFrames {
  std::string bytes;
  const char* says;
};

class DeviceFramesRefuse : public ::testing::TestWithParam<NotFrames> {};

TEST_P(DeviceFramesRefuse, AndStaySpent) {
  FrameReader reader;
  EXPECT_FALSE(reader.feed(GetParam().bytes));
  EXPECT_NE(reader.error().find(GetParam().says), std::string::npos) << reader.error();
  EXPECT_FALSE(reader.feed("ready 0 - 0\n")) << "nothing is read after a bad frame";
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceFramesRefuse,
    ::testing::Values(NotFrames{"ready 0 -\n", "not a frame header"},               // a field short
                      NotFrames{"ready 0 - 0 extra\n", "not a frame header"},        // a field over
                      NotFrames{"ready x - 0\n", "not a frame header"},              // ask not a number
                      NotFrames{"ready 0 - -1\n", "not a frame header"},             // negative length
                      NotFrames{"ready 0  0\n", "not a frame header"},               // empty argument
                      NotFrames{"AddressSanitizer: heap-use-after-free\n", "not a frame header"},
                      NotFrames{"page 0 - 999999999999\n", "over the limit"},
                      NotFrames{std::string(200, 'x'), "without an end"}));

}  // namespace
}  // namespace pushwren::sim::playground
