// The draw-to-pixel probe shared by the viewer latency benchmarks on both sides: where the small
// square is drawn on the host's screen, the colours it takes in turn, how a viewer's pixel is
// matched, the pacing between samples, and the words of the line exchange between the Windows
// viewer program (bench/viewer_latency_win.cpp) and the Linux side that draws for it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdlib>

namespace px::bench {

// On 8-pixel JPEG blocks, so the square's centre decodes to its own colour.
inline constexpr int kProbeX = 1000, kProbeY = 504, kProbeSide = 16;
inline constexpr int kProbeCentreX = kProbeX + kProbeSide / 2;
inline constexpr int kProbeCentreY = kProbeY + kProbeSide / 2;
inline constexpr int kProbeTolerance = 24;
inline constexpr auto kProbeLimit = std::chrono::milliseconds(2000);
// A random pause between samples, so that draws do not lock onto the host's frame pacing.
inline constexpr int kPauseMinMs = 40, kPauseMaxMs = 140;
inline constexpr uint32_t kPauseSeed = 12345;
// Before the first sample the viewer must have been given no frame for this long.
inline constexpr auto kQuietPeriod = std::chrono::milliseconds(400);

// Saturated colours in turn, each a little different from its last use, so that every fill
// changes the probed pixel far beyond JPEG's error.
constexpr uint32_t probeColour(int i) {
  constexpr uint32_t kBase[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
  const uint32_t dim = uint32_t((i / 6) % 4) * 0x10;
  const uint32_t base = kBase[i % 6];
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = (base >> shift) & 0xFF;
    out |= (c ? c - dim : dim) << shift;
  }
  return out;
}

// `bgr` points at a pixel in B G R order; true when each channel is within `kProbeTolerance` of
// 0xRRGGBB `rgb`.
inline bool probeMatches(const uint8_t* bgr, uint32_t rgb) {
  const int want[3] = {int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF)};
  for (int c = 0; c < 3; ++c) {
    if (std::abs(int(bgr[c]) - want[c]) > kProbeTolerance) return false;
  }
  return true;
}

// The line exchange, one line each, a sample number N after the word (the Windows side writes
// "\r\n", which the reader drops):
//   viewer -> driver: "ping N"   answered by "pong N" on the viewer's standard input
//                     "rtt N MS" round trip of ping N as the viewer timed it
//                     "draw N"   fill the probe square with probeColour(N) now
//                     "pixel N MS FRAME_MS UPLOAD_MS" the viewer saw colour N MS after its
//                                "draw N"; FRAME_MS of that were upload, draw and read-back of
//                                the frame, UPLOAD_MS of those the upload
//                     "miss N"   colour N was not seen within kProbeLimit
//                     "done"     every sample was taken; the session is ending
inline constexpr const char* kPingWord = "ping";
inline constexpr const char* kPongWord = "pong";
inline constexpr const char* kRoundTripWord = "rtt";
inline constexpr const char* kDrawWord = "draw";
inline constexpr const char* kPixelWord = "pixel";
inline constexpr const char* kMissWord = "miss";
inline constexpr const char* kDoneWord = "done";

}  // namespace px::bench
