// Decoding of FrameUpdate payloads into the screen image, on the viewer's receive thread.
// Everything here treats the payload as hostile: every read is inside the payload, and the memory
// and work a frame can cause are bounded by the limits below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "base/bytes.h"
#include "codec/jpeg_codec.h"
#include "codec/xpress.h"
#include "viewer/tile_cells.h"

namespace px {

class WorkerPool;

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

// Threads a FrameDecoder uses by default to draw the tiles of one frame.
inline constexpr int kFrameDecodeThreads = 2;

// One per receive thread: owns the decompressors, the JPEG decoders, scratch buffers and, from
// the first frame worth sharing out, threads - 1 helper threads (joined by the destructor).
// One caller at a time.
class FrameDecoder {
 public:
  // `threads` (at least 1) decode the tiles of one frame at once when they cover disjoint cells
  // of the grid; 1 keeps everything on the caller's thread.
  explicit FrameDecoder(int threads = kFrameDecodeThreads);
  ~FrameDecoder();
  FrameDecoder(const FrameDecoder&) = delete;
  FrameDecoder& operator=(const FrameDecoder&) = delete;

  // A 4-byte unpacked size N, then buffer-mode XPRESS-Huffman bytes. Fails for N = 0, N above
  // `maxOutput` (at most kMaxBlobSize) or a malformed stream, leaving `out` empty. On success
  // `out` holds what the stream declared, which callers check against the size they need.
  bool unpackBlob(ByteView blob, Bytes& out, size_t maxOutput = kMaxBlobSize);

  // True when every tile of an "IRF3" frame was applied. On false, tiles already applied stay:
  // every tile before the first malformed tile header, and others that decoded (tiles are drawn
  // in payload order, stopping at the first bad one, unless they were shared out).
  bool decodeTiledFrame(ByteView payload, uint8_t* image, int imageWidth, int imageHeight);

  // True when the JPEG decodes to exactly width x height; `out` is then B G R A.
  bool decodeJpegTile(ByteView jpeg, int width, int height, Bytes& out);

 private:
  struct Slot;
  struct Tile;
  struct Canvas;

  // Reads the header's `tileCount` tile headers into tiles_; false at the first malformed one
  // (tiles_ holds those before it). `shareable` tells whether the tiles may be drawn at once.
  bool readTiles(ByteView payload, const Canvas& canvas, uint32_t tileCount, bool& shareable);
  bool drawTile(const Tile& tile, Slot& slot, const Canvas& canvas);
  bool drawInOrder(const Canvas& canvas);
  bool drawShared(const Canvas& canvas);
  bool startHelpers();

  int threads_;
  std::vector<std::unique_ptr<Slot>> slots_;  // one per thread; [0] is the caller's
  std::unique_ptr<WorkerPool> workers_;      // created on first use
  std::vector<Tile> tiles_;
  std::vector<uint32_t> order_;
  TileCells cells_;
};

}  // namespace px
