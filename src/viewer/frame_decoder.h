// Decoding of FrameUpdate payloads into the screen image, on the viewer's receive thread.
// Everything here treats the payload as hostile: every read is inside the payload, and the memory
// and work a frame can cause are bounded by the limits below.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/bytes.h"
#include "codec/jpeg_codec.h"
#include "codec/xpress.h"

namespace px {

// Largest unpacked blob (the legacy frame format's whole payload).
inline constexpr size_t kMaxBlobSize = 0x10000000;
// A tiled frame's grid may not exceed this many pixels, and its tiles together may not cover more
// than the grid: tiles never overlap, so honest frames stay far below. Bounds decoding work.
inline constexpr int64_t kMaxGridPixels = int64_t(1) << 25;
// Image pixels one frame may write, as a multiple of the image size: honest tiles never overlap,
// and a tiny grid stretched over a large image must not turn each 18-byte tile into a full-screen
// write.
inline constexpr int64_t kMaxBlitImages = 4;

// Writes a tile_width x tile_height BGRA tile (stride tile_width * 4) placed at (x, y) of a
// grid_width x grid_height frame into the image, scaling by nearest neighbour when the grid is not
// the image's size; every tile covers at least one image pixel. Clipped to the image.
void blitTile(uint8_t* image, int imageWidth, int imageHeight, const uint8_t* tile, int tileWidth,
              int tileHeight, int x, int y, int gridWidth, int gridHeight);
// How many image pixels blitTile would write for that placement.
int64_t blitArea(int imageWidth, int imageHeight, int tileWidth, int tileHeight, int x, int y,
                 int gridWidth, int gridHeight);

// The legacy frame format (already unpacked): run-length rectangles at image scale.
bool decodeRectFrame(ByteView data, uint8_t* image, int imageWidth, int imageHeight);

// One per receive thread: owns the decompressor, the JPEG decoder and scratch buffers.
class FrameDecoder {
 public:
  // A 4-byte unpacked size N, then buffer-mode XPRESS-Huffman bytes. Fails for N = 0, N above
  // `maxOutput` (at most kMaxBlobSize) or a malformed stream; `out` then holds what the stream
  // produced, which callers check against the size they need.
  bool unpackBlob(ByteView blob, Bytes& out, size_t maxOutput = kMaxBlobSize);

  // True when every tile of an "IRF3" frame was applied. Tiles applied before a failure stay.
  bool decodeTiledFrame(ByteView payload, uint8_t* image, int imageWidth, int imageHeight);

  // True when the JPEG decodes to exactly width x height; `out` is then B G R A.
  bool decodeJpegTile(ByteView jpeg, int width, int height, Bytes& out);

 private:
  bool makeTilePixels(uint8_t kind, ByteView data, int w, int h);

  XpressDecompressor decompressor_;
  JpegDecoder jpeg_;
  Bytes tile_;
};

}  // namespace px
