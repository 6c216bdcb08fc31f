#include "viewer/frame_decoder.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "base/log.h"
#include "base/worker_pool.h"
#include "protocol/frame_format.h"

namespace px {
namespace {

// Image pixels a tile lands on: [left, right) x [top, bottom), already clipped; empty when the
// tile misses the image.
struct Target {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool sameGrid = false;
  int64_t area() const {
    return right > left && bottom > top ? int64_t(right - left) * (bottom - top) : 0;
  }
};

Target mapTile(int imageW, int imageH, int w, int h, int x, int y, int gridW, int gridH) {
  Target t;
  if (w < 1 || h < 1 || imageW < 1 || imageH < 1 || gridW < 1 || gridH < 1) return t;
  if (gridW == imageW && gridH == imageH) {
    t.sameGrid = true;
    t.left = std::max(x, 0);
    t.top = std::max(y, 0);
    t.right = int(std::min<int64_t>(int64_t(x) + w, imageW));
    t.bottom = int(std::min<int64_t>(int64_t(y) + h, imageH));
    return t;
  }
  const int x0 = int(int64_t(imageW) * x / gridW);
  const int y0 = int(int64_t(imageH) * y / gridH);
  const int x1 = int(int64_t(imageW) * (int64_t(x) + w) / gridW);
  const int y1 = int(int64_t(imageH) * (int64_t(y) + h) / gridH);
  t.left = std::max(x0, 0);
  t.top = std::max(y0, 0);
  t.right = std::min(x1 > x0 ? x1 : x0 + 1, imageW);
  t.bottom = std::min(y1 > y0 ? y1 : y0 + 1, imageH);
  return t;
}

// Nearest-neighbour scaling of any pixel source into the target rectangle.
template <typename PixelAt>
void scaleInto(uint8_t* image, int imageW, const Target& t, int w, int h, PixelAt pixelAt) {
  const int cols = t.right - t.left;
  const int rows = t.bottom - t.top;
  std::vector<int> srcCol(static_cast<size_t>(cols));
  for (int c = 0; c < cols; ++c) srcCol[c] = int(std::min<int64_t>(int64_t(c) * w / cols, w - 1));
  for (int r = 0; r < rows; ++r) {
    const int srcRow = int(std::min<int64_t>(int64_t(r) * h / rows, h - 1));
    uint8_t* dst = image + (size_t(t.top + r) * imageW + t.left) * 4;
    for (int c = 0; c < cols; ++c) std::memcpy(dst + 4 * c, pixelAt(srcCol[c], srcRow), 4);
  }
}

void fillTile(uint8_t* image, int imageW, int imageH, uint32_t value, int w, int h, int x, int y,
              int gridW, int gridH) {
  const Target t = mapTile(imageW, imageH, w, h, x, y, gridW, gridH);
  if (t.area() == 0) return;
  for (int row = t.top; row < t.bottom; ++row) {
    uint8_t* dst = image + (size_t(row) * imageW + t.left) * 4;
    for (int c = 0; c < t.right - t.left; ++c) std::memcpy(dst + 4 * c, &value, 4);
  }
}

// A frame's tiles are shared out only when at least this many need decoding, and when the
// grid has at most this many cells to track.
constexpr int kMinSharedTiles = 4;
constexpr size_t kMaxSharedCells = size_t(1) << 16;

// `out` is not cleared first: the decompressor writes every byte it keeps, so a buffer reused
// for tiles of one size is never zero-filled.
bool unpackWith(XpressDecompressor& xpress, ByteView blob, Bytes& out, size_t maxOutput) {
  const uint32_t declared = blob.size() >= kBlobSizeField ? loadLe32(blob.data()) : 0;
  if (declared == 0 || declared > std::min(maxOutput, kMaxBlobSize) ||
      !xpress.decompress(blob.subspan(kBlobSizeField), declared, out)) {
    out.clear();
    return false;
  }
  return true;
}

bool tryResize(Bytes& buffer, size_t size) {
  try {
    buffer.resize(size);
    return true;
  } catch (const std::bad_alloc&) {
    buffer.clear();
    return false;
  }
}

}  // namespace

int64_t blitArea(int imageWidth, int imageHeight, int tileWidth, int tileHeight, int x, int y,
                 int gridWidth, int gridHeight) {
  return mapTile(imageWidth, imageHeight, tileWidth, tileHeight, x, y, gridWidth, gridHeight)
      .area();
}

void blitTile(uint8_t* image, int imageWidth, int imageHeight, const uint8_t* tile, int tileWidth,
              int tileHeight, int x, int y, int gridWidth, int gridHeight) {
  const Target t =
      mapTile(imageWidth, imageHeight, tileWidth, tileHeight, x, y, gridWidth, gridHeight);
  if (t.area() == 0) return;
  const size_t tileStride = size_t(tileWidth) * 4;
  if (t.sameGrid) {
    const size_t bytes = size_t(t.right - t.left) * 4;
    for (int row = t.top; row < t.bottom; ++row) {
      std::memcpy(image + (size_t(row) * imageWidth + t.left) * 4,
                  tile + tileStride * (row - y) + size_t(t.left - x) * 4, bytes);
    }
    return;
  }
  scaleInto(image, imageWidth, t, tileWidth, tileHeight,
            [&](int col, int row) { return tile + tileStride * row + size_t(col) * 4; });
}

// One thread's decoders and tile pixels. Compressed tiles (mostly 64 x 64) and JPEG rectangles
// (of many sizes) keep their own buffers, so that neither regrows, zero-filled, after the other.
struct FrameDecoder::Slot {
  XpressDecompressor xpress;
  JpegDecoder jpeg;
  Bytes pixels;
  Bytes jpegPixels;
};

// A tile header that passed the checks; `data` points into the payload.
struct FrameDecoder::Tile {
  int x, y, w, h;
  uint8_t kind;
  ByteView data;
};

struct FrameDecoder::Canvas {
  uint8_t* image;
  int imageWidth, imageHeight, gridWidth, gridHeight;
};

FrameDecoder::FrameDecoder(int threads) : threads_(std::max(threads, 1)) {
  slots_.push_back(std::make_unique<Slot>());
}

FrameDecoder::~FrameDecoder() = default;

bool FrameDecoder::unpackBlob(ByteView blob, Bytes& out, size_t maxOutput) {
  return unpackWith(slots_[0]->xpress, blob, out, maxOutput);
}

bool FrameDecoder::decodeJpegTile(ByteView jpeg, int width, int height, Bytes& out) {
  return slots_[0]->jpeg.decode(jpeg, width, height, out);
}

bool FrameDecoder::drawTile(const Tile& tile, Slot& slot, const Canvas& c) {
  if (TileKind(tile.kind) == TileKind::kSolid) {
    fillTile(c.image, c.imageWidth, c.imageHeight, loadLe32(tile.data.data()), tile.w, tile.h,
             tile.x, tile.y, c.gridWidth, c.gridHeight);
    return true;
  }
  const size_t bytes = size_t(tile.w) * tile.h * 4;
  const Bytes* pixels = nullptr;
  if (TileKind(tile.kind) == TileKind::kCompressed) {
    if (unpackWith(slot.xpress, tile.data, slot.pixels, bytes) && slot.pixels.size() == bytes) {
      pixels = &slot.pixels;
    }
  } else if (TileKind(tile.kind) == TileKind::kJpeg) {
    if (slot.jpeg.decode(tile.data, tile.w, tile.h, slot.jpegPixels)) pixels = &slot.jpegPixels;
  }
  if (!pixels) return false;
  blitTile(c.image, c.imageWidth, c.imageHeight, pixels->data(), tile.w, tile.h, tile.x, tile.y,
           c.gridWidth, c.gridHeight);
  return true;
}

bool FrameDecoder::readTiles(ByteView payload, const Canvas& c, uint32_t tileCount,
                             bool& shareable) {
  tiles_.clear();
  // The count is taken as 16 bits: the upper two bytes are always 0 on the wire.
  const int count = uint16_t(tileCount);
  if (count == 0) return true;
  const int64_t gridArea = int64_t(c.gridWidth) * c.gridHeight;
  if (gridArea > kMaxGridPixels) return false;
  const int64_t blitBudget = kMaxBlitImages * int64_t(c.imageWidth) * c.imageHeight;
  int64_t tileArea = 0, blitted = 0;
  int coded = 0;
  // Tiles on disjoint cells of a grid no larger than the image land on disjoint image pixels.
  bool disjoint = threads_ > 1 && c.gridWidth <= c.imageWidth && c.gridHeight <= c.imageHeight &&
                  cells_.reset(c.gridWidth, c.gridHeight, kTileSize, kMaxSharedCells);
  size_t p = kFrameHeaderSize;
  for (int i = 0; i < count; ++i) {
    if (payload.size() - p < kTileHeaderSize) return false;
    const TileHeader t = readTileHeader(payload.data() + p);
    const int x = t.x, y = t.y, w = t.w, h = t.h;
    const uint8_t kind = t.kind;
    const uint32_t length = t.length;
    if (length > payload.size() - (p + kTileHeaderSize) || w == 0 || h == 0 ||
        x + w > c.gridWidth || y + h > c.gridHeight) {
      return false;
    }
    tileArea += int64_t(w) * h;
    blitted += blitArea(c.imageWidth, c.imageHeight, w, h, x, y, c.gridWidth, c.gridHeight);
    if (tileArea > gridArea || blitted > blitBudget) return false;
    if (TileKind(kind) == TileKind::kSolid && length != 4) return false;
    tiles_.push_back({x, y, w, h, kind, payload.subspan(p + kTileHeaderSize, length)});
    coded += TileKind(kind) != TileKind::kSolid;
    disjoint = disjoint && cells_.claim(x, y, w, h);
    shareable = disjoint && coded >= kMinSharedTiles;
    p += kTileHeaderSize + length;
  }
  return true;
}

bool FrameDecoder::drawInOrder(const Canvas& c) {
  for (const Tile& tile : tiles_) {
    if (!drawTile(tile, *slots_[0], c)) return false;
  }
  return true;
}

bool FrameDecoder::startHelpers() {
  if (workers_) return true;
  try {
    while (int(slots_.size()) < threads_) slots_.push_back(std::make_unique<Slot>());
    workers_ = std::make_unique<WorkerPool>(threads_);
    return true;
  } catch (const std::exception&) {  // no thread or no memory: draw on this thread
    logPrintf("[VIEWER] thread auxiliar de tiles FALHOU; decodificando numa thread\n");
    threads_ = 1;
    return false;
  }
}

// Largest tiles first, so that a big JPEG rectangle does not start last.
bool FrameDecoder::drawShared(const Canvas& c) {
  if (!startHelpers()) return drawInOrder(c);
  order_.resize(tiles_.size());
  for (size_t i = 0; i < order_.size(); ++i) order_[i] = uint32_t(i);
  auto pixels = [&](uint32_t i) { return int64_t(tiles_[i].w) * tiles_[i].h; };
  std::stable_sort(order_.begin(), order_.end(),
                   [&](uint32_t a, uint32_t b) { return pixels(a) > pixels(b); });
  std::atomic<bool> ok{true};
  workers_->run(order_.size(), [&](size_t index, int slot) {
    if (!drawTile(tiles_[order_[index]], *slots_[size_t(slot)], c)) ok = false;
  });
  return ok;
}

bool FrameDecoder::decodeTiledFrame(ByteView payload, uint8_t* image, int imageWidth,
                                    int imageHeight) {
  FrameHeader header;
  if (!image || imageWidth < 1 || imageHeight < 1 || !readFrameHeader(payload, header)) {
    return false;
  }
  const int gridW = header.gridWidth;
  const int gridH = header.gridHeight;
  if (gridW == 0 || gridH == 0 || header.screenWidth != uint16_t(imageWidth) ||
      header.screenHeight != uint16_t(imageHeight)) {
    return false;
  }
  const Canvas canvas{image, imageWidth, imageHeight, gridW, gridH};
  bool shareable = false;
  const bool complete = readTiles(payload, canvas, header.tileCount, shareable);
  const bool drawn = shareable ? drawShared(canvas) : drawInOrder(canvas);
  // Tile buffers are kept between frames, but none larger than the image: only a crafted frame
  // has a tile bigger than the screen, and four such buffers must not stay behind.
  const size_t imageBytes = size_t(imageWidth) * imageHeight * 4;
  for (auto& slot : slots_) {
    if (slot->pixels.capacity() > imageBytes) Bytes().swap(slot->pixels);
    if (slot->jpegPixels.capacity() > imageBytes) Bytes().swap(slot->jpegPixels);
  }
  return complete && drawn;
}

bool decodeRectFrame(ByteView data, uint8_t* image, int imageWidth, int imageHeight) {
  if (data.size() < 10 || !image || imageWidth < 1 || imageHeight < 1) return false;
  const int count = loadLe16(data.data());
  Bytes rect;
  size_t p = 10;
  for (int i = 0; i < count; ++i) {
    if (data.size() - p < 12) return false;
    const uint8_t* h = data.data() + p;
    const int x = loadLe16(h), y = loadLe16(h + 2), w = loadLe16(h + 4), rows = loadLe16(h + 6);
    const uint32_t length = loadLe32(h + 8);
    if (length > data.size() - (p + 12) || x + w > imageWidth || y + rows > imageHeight) {
      return false;
    }
    const size_t pixels = size_t(w) * rows;
    if (pixels == 0) {  // an empty rectangle draws nothing; its bytes are skipped
      p += 12 + length;
      continue;
    }
    if (!tryResize(rect, pixels * 4)) return false;
    std::fill(rect.begin(), rect.end(), uint8_t{0});
    const uint8_t* in = h + 12;
    const uint8_t* end = in + length;
    size_t filled = 0;
    while (filled < pixels && in < end) {
      if (end - in < 2) return false;
      const size_t n = loadLe16(in);
      if (n != 0) {  // a run: n copies of one pixel
        if (end - in < 6 || n > pixels - filled) return false;
        for (size_t k = 0; k < n; ++k) std::memcpy(&rect[(filled + k) * 4], in + 2, 4);
        filled += n;
        in += 6;
      } else {  // literal pixels
        if (end - in < 4) return false;
        const size_t literal = loadLe16(in + 2);
        if (size_t(end - in - 4) / 4 < literal || literal > pixels - filled) return false;
        std::memcpy(&rect[filled * 4], in + 4, literal * 4);
        filled += literal;
        in += 4 + literal * 4;
      }
    }
    if (filled != pixels) return false;
    for (int r = 0; r < rows; ++r) {
      std::memcpy(image + (size_t(y + r) * imageWidth + x) * 4, &rect[size_t(r) * w * 4],
                  size_t(w) * 4);
    }
    p += 12 + length;
  }
  return true;
}

}  // namespace px
