// Turns captured screens into FrameUpdate payloads: only the 64 x 64 tiles that changed since the
// reference, flat tiles as one colour, tiles that compress well as XPRESS-Huffman BGRA, the rest
// merged into rectangles and sent as JPEG. Runs on the host's capture thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "base/bytes.h"
#include "host/screen_capturer.h"
#include "protocol/frame_format.h"

namespace px {

// Screen pixels; right and bottom exclusive. May reach outside the screen. The capture's own
// rectangle type, so its dirty list goes to the encoder as it is.
using DirtyRect = PixelRect;

// The last encoded frame as captured (not as the JPEG decoder would see it), at encoded scale:
// width * height * 4 bytes of B G R A, no row padding. Empty means the next encode is a key frame.
struct ReferenceFrame {
  int width = 0;
  int height = 0;
  Bytes pixels;

  bool empty() const { return pixels.empty(); }
  void clear() {
    width = height = 0;
    pixels.clear();
  }
};

struct EncodeInput {
  const uint8_t* pixels = nullptr;  // B G R A, rows top to bottom
  int width = 0;                    // screen pixels, 1 to kMaxEncodeSide
  int height = 0;
  size_t stride = 0;  // bytes from one row to the next; 0 means width * 4
  int scale = 100;    // percent; anything but 50 or 75 means 100
  uint32_t frameIndex = 0;
  int32_t cursorX = 0;
  int32_t cursorY = 0;
  bool cursorVisible = false;
  float quality = 0.92f;  // JPEG quality, clamped to 0.3 ... 0.95
  // What may have changed since the reference was made; empty means the whole screen.
  std::span<const DirtyRect> dirty;
};

inline constexpr int kMaxEncodeSide = 16384;

// Ties a tile to the range of screen pixels it is made from (screen-to-grid mapping).
struct SourceSpan {
  int begin = 0;
  int end = 0;
};
// The screen span of grid span [gridBegin, gridEnd) when `screen` pixels are encoded as `grid`.
SourceSpan sourceSpan(int gridBegin, int gridEnd, int screen, int grid);

// A rectangle of encoded-frame pixels.
struct TileRect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
};
// Sorts JPEG candidates by top, then left, and merges them into larger rectangles: first runs in
// one row, then equal spans in consecutive rows.
std::vector<TileRect> mergeJpegRects(std::vector<TileRect> rects);

// A compressed tile is kept when its data (size prefix included) is at most 70 % of the raw
// pixels; a larger one makes the tile a JPEG candidate.
inline bool compressedTileKept(size_t dataBytes, size_t rawBytes) {
  return 10 * dataBytes <= 7 * rawBytes;
}

// JPEG quality for a merged rectangle: the clamped quality, at most 0.9 above 1280 x 720 pixels.
float jpegQualityFor(const TileRect& rect, float clampedQuality);

class FrameEncoder {
 public:
  // `threads` >= 1 tiles are coded at once; the payload is the same for any number.
  explicit FrameEncoder(int threads = 1);
  ~FrameEncoder();
  FrameEncoder(const FrameEncoder&) = delete;
  FrameEncoder& operator=(const FrameEncoder&) = delete;

  // Brings `reference` up to date with the screen and replaces `payload` with a FrameUpdate of the
  // tiles that differ (empty when nothing changed). On failure the payload is empty and the
  // reference is cleared, so the next encode makes a key frame.
  bool encode(const EncodeInput& input, ReferenceFrame& reference, Bytes& payload);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The send loop's pacing: the wait until the next frame, from the last send's duration in ms
// (0 when nothing was sent). Up to 40 ms the loop keeps 16 ms; slower sends stretch it to 50 ms.
int nextFrameIntervalMs(double sendMs);

}  // namespace px
