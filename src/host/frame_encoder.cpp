#include "host/frame_encoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "base/worker_pool.h"
#include "codec/jpeg_codec.h"
#include "codec/xpress.h"

namespace px {
namespace {

constexpr float kMinQuality = 0.3f;
constexpr float kMaxQuality = 0.95f;
constexpr float kLargeRectQuality = 0.9f;
constexpr int64_t kLargeRectPixels = 1280 * 720;
constexpr size_t kPayloadReserve = 262144;
// Below this many changed tiles the helper threads cost more than they save.
constexpr size_t kParallelThreshold = 8;

// What one changed tile became. JPEG candidates carry no data until merged.
struct TileOutput {
  TileKind kind = TileKind::kSolid;
  bool jpegCandidate = false;
  Bytes data;
};

struct Slot {
  XpressCompressor compressor;
  JpegEncoder jpeg;
  Bytes gathered;
  Bytes packed;
};

struct Grid {
  int width = 0;  // encoded frame
  int height = 0;
  int cols = 0;
  int rows = 0;
  TileRect tile(int index) const {
    const int tx = (index % cols) * kTileSize;
    const int ty = (index / cols) * kTileSize;
    return {tx, ty, std::min(kTileSize, width - tx), std::min(kTileSize, height - ty)};
  }
};

bool gather(const uint8_t* src, size_t stride, const TileRect& r, Bytes& out) {
  const size_t rowBytes = size_t(r.w) * 4;
  try {
    out.resize(rowBytes * r.h);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int y = 0; y < r.h; ++y) std::memcpy(&out[rowBytes * y], src + stride * y, rowBytes);
  return true;
}

// Compressed tile data: the unpacked size, then the coder's bytes. Empty on failure.
void packTile(Slot& slot, ByteView raw, Bytes& data) {
  data.clear();
  if (!slot.compressor.compress(raw, slot.packed) || slot.packed.empty()) return;
  data.resize(kBlobSizeField + slot.packed.size());
  storeLe32(data.data(), uint32_t(raw.size()));
  std::memcpy(data.data() + kBlobSizeField, slot.packed.data(), slot.packed.size());
}

bool isSolid(const uint8_t* src, size_t stride, const TileRect& r, uint32_t& value) {
  std::memcpy(&value, src, 4);
  for (int y = 0; y < r.h; ++y) {
    const uint8_t* row = src + stride * y;
    for (int x = 0; x < r.w; ++x) {
      uint32_t pixel;
      std::memcpy(&pixel, row + 4 * x, 4);
      if (pixel != value) return false;
    }
  }
  return true;
}

TileHeader tileHeaderOf(const TileRect& r, TileKind kind) {
  return {uint16_t(r.x), uint16_t(r.y), uint16_t(r.w), uint16_t(r.h), uint8_t(kind), 0};
}

size_t strideOf(const EncodeInput& in) { return in.stride ? in.stride : size_t(in.width) * 4; }

float clampQuality(float quality) {
  if (std::isnan(quality)) return 0.92f;
  return std::clamp(quality, kMinQuality, kMaxQuality);
}

}  // namespace

SourceSpan sourceSpan(int gridBegin, int gridEnd, int screen, int grid) {
  const int begin = int(int64_t(gridBegin) * screen / grid);
  const int end = std::max(int(int64_t(gridEnd) * screen / grid), begin + 1);
  return {begin, end};
}

std::vector<TileRect> mergeJpegRects(std::vector<TileRect> rects) {
  std::stable_sort(rects.begin(), rects.end(), [](const TileRect& a, const TileRect& b) {
    return a.y != b.y ? a.y < b.y : a.x < b.x;
  });
  std::vector<TileRect> merged;
  for (const TileRect& r : rects) {
    if (!merged.empty()) {
      TileRect& last = merged.back();
      if (last.y == r.y && last.h == r.h && last.x + last.w == r.x) {
        last.w += r.w;
        continue;
      }
    }
    merged.push_back(r);
  }
  // Rectangles keep their tops and only grow downwards, so once no rectangle matches below
  // merged[i] none will again, and the scan can go on from i instead of restarting at 0.
  for (size_t i = 0; i < merged.size();) {
    bool grew = false;
    for (size_t j = 0; j < merged.size(); ++j) {
      if (j == i) continue;
      if (merged[i].x == merged[j].x && merged[i].w == merged[j].w &&
          merged[i].y + merged[i].h == merged[j].y) {
        merged[i].h += merged[j].h;
        merged.erase(merged.begin() + std::ptrdiff_t(j));
        if (j < i) --i;
        grew = true;
        break;
      }
    }
    if (!grew) ++i;
  }
  return merged;
}

float jpegQualityFor(const TileRect& rect, float clampedQuality) {
  if (int64_t(rect.w) * rect.h > kLargeRectPixels) {
    return std::min(clampedQuality, kLargeRectQuality);
  }
  return clampedQuality;
}

int nextFrameIntervalMs(double sendMs) {
  if (!(sendMs > 40.0)) return 16;
  return int(std::min(sendMs, 50.0));
}

struct FrameEncoder::Impl {
  explicit Impl(int threads) : workers(std::max(1, threads)) {
    for (int i = 0; i < workers.slots(); ++i) slots.push_back(std::make_unique<Slot>());
  }

  bool encode(const EncodeInput& in, ReferenceFrame& reference, Bytes& payload);
  bool prepareFrame(const EncodeInput& in, ReferenceFrame& reference, bool& keyFrame);
  void collectChangedTiles(const EncodeInput& in, ReferenceFrame& reference, bool keyFrame);
  bool encodeChangedTiles(const ReferenceFrame& reference);
  size_t tileCount() const;
  void assemblePayload(const EncodeInput& in, size_t count, Bytes& payload);
  void markDirtyTiles(const EncodeInput& in, std::span<const DirtyRect> dirty);
  void findChangedTiles(const EncodeInput& in, size_t stride, ReferenceFrame& reference,
                        bool keyFrame);
  void compareRows(const EncodeInput& in, size_t stride, ReferenceFrame& reference);
  void renderScaledTile(const EncodeInput& in, size_t stride, const TileRect& r, uint8_t* out,
                        size_t outStride) const;
  void classifyTile(const ReferenceFrame& reference, size_t index, Slot& slot);
  bool encodeJpegRect(const ReferenceFrame& reference, size_t index, Slot& slot);
  void runJobs(size_t count, const std::function<void(size_t, int)>& job) {
    if (count >= kParallelThreshold) {
      workers.run(count, job);
    } else {
      for (size_t i = 0; i < count; ++i) job(i, 0);
    }
  }

  WorkerPool workers;
  std::vector<std::unique_ptr<Slot>> slots;
  Grid grid;
  int scale = 100;
  float quality = kMaxQuality;
  std::vector<SourceSpan> colSpans, rowSpans;
  std::vector<uint8_t> dirtyTiles, changedTiles;
  std::vector<int> changed;         // tile indexes in scan order
  std::vector<TileOutput> outputs;  // parallel to `changed`
  std::vector<TileRect> jpegRects;  // after merging
  std::vector<TileOutput> jpegOutputs;
  Bytes scaled;  // one tile rendered at a reduced scale
};

void FrameEncoder::Impl::markDirtyTiles(const EncodeInput& in, std::span<const DirtyRect> dirty) {
  colSpans.resize(grid.cols);
  rowSpans.resize(grid.rows);
  for (int tx = 0; tx < grid.cols; ++tx) {
    const int x = tx * kTileSize;
    colSpans[tx] = sourceSpan(x, std::min(x + kTileSize, grid.width), in.width, grid.width);
  }
  for (int ty = 0; ty < grid.rows; ++ty) {
    const int y = ty * kTileSize;
    rowSpans[ty] = sourceSpan(y, std::min(y + kTileSize, grid.height), in.height, grid.height);
  }
  dirtyTiles.assign(size_t(grid.cols) * grid.rows, 0);
  for (const DirtyRect& d : dirty) {
    for (int ty = 0; ty < grid.rows; ++ty) {
      if (!(d.top < rowSpans[ty].end && d.bottom > rowSpans[ty].begin)) continue;
      for (int tx = 0; tx < grid.cols; ++tx) {
        if (d.left < colSpans[tx].end && d.right > colSpans[tx].begin) {
          dirtyTiles[size_t(ty) * grid.cols + tx] = 1;
        }
      }
    }
  }
}

// Full scale, not a key frame: walks the dirty tiles' rows in scanline order, comparing runs of
// adjacent still-unchanged tiles with one memcmp, then copies the changed tiles in.
void FrameEncoder::Impl::compareRows(const EncodeInput& in, size_t stride,
                                     ReferenceFrame& reference) {
  const size_t refStride = size_t(grid.width) * 4;
  for (int ty = 0; ty < grid.rows; ++ty) {
    const size_t rowBase = size_t(ty) * grid.cols;
    const int y0 = ty * kTileSize;
    const int y1 = std::min(y0 + kTileSize, grid.height);
    for (int y = y0; y < y1; ++y) {
      const uint8_t* screenRow = in.pixels + stride * y;
      const uint8_t* refRow = reference.pixels.data() + refStride * y;
      for (int tx = 0; tx < grid.cols;) {
        const size_t t = rowBase + tx;
        if (!dirtyTiles[t] || changedTiles[t]) {
          ++tx;
          continue;
        }
        int end = tx + 1;
        while (end < grid.cols && dirtyTiles[rowBase + end] && !changedTiles[rowBase + end]) ++end;
        const size_t x0 = size_t(tx) * kTileSize * 4;
        const size_t x1 = std::min(size_t(end) * kTileSize, size_t(grid.width)) * 4;
        if (std::memcmp(screenRow + x0, refRow + x0, x1 - x0) != 0) {
          for (int c = tx; c < end; ++c) {
            const size_t a = size_t(c) * kTileSize * 4;
            const size_t b = std::min(size_t(c + 1) * kTileSize, size_t(grid.width)) * 4;
            if (std::memcmp(screenRow + a, refRow + a, b - a) != 0) changedTiles[rowBase + c] = 1;
          }
        }
        tx = end;
      }
    }
  }
  for (size_t t = 0; t < changedTiles.size(); ++t) {
    if (!changedTiles[t]) continue;
    const TileRect r = grid.tile(int(t));
    for (int y = r.y; y < r.y + r.h; ++y) {
      std::memcpy(reference.pixels.data() + refStride * y + size_t(r.x) * 4,
                  in.pixels + stride * y + size_t(r.x) * 4, size_t(r.w) * 4);
    }
  }
}

// Each output pixel is the average colour of its source box on the screen; alpha is opaque.
void FrameEncoder::Impl::renderScaledTile(const EncodeInput& in, size_t stride, const TileRect& r,
                                          uint8_t* out, size_t outStride) const {
  int x0s[kTileSize], x1s[kTileSize];
  for (int c = 0; c < r.w; ++c) {
    const int x = r.x + c;
    x0s[c] = std::min(int(int64_t(x) * in.width / grid.width), in.width - 1);
    x1s[c] = std::min(std::max(int(int64_t(x + 1) * in.width / grid.width), x0s[c] + 1), in.width);
  }
  for (int row = 0; row < r.h; ++row) {
    const int y = r.y + row;
    const int y0 = std::min(int(int64_t(y) * in.height / grid.height), in.height - 1);
    const int y1 =
        std::min(std::max(int(int64_t(y + 1) * in.height / grid.height), y0 + 1), in.height);
    uint8_t* dst = out + outStride * row;
    for (int c = 0; c < r.w; ++c) {
      uint32_t b = 0, g = 0, red = 0;
      for (int sy = y0; sy < y1; ++sy) {
        const uint8_t* p = in.pixels + stride * sy + size_t(x0s[c]) * 4;
        for (int sx = x0s[c]; sx < x1s[c]; ++sx, p += 4) {
          b += p[0];
          g += p[1];
          red += p[2];
        }
      }
      const uint32_t count = uint32_t(y1 - y0) * uint32_t(x1s[c] - x0s[c]);
      dst[4 * c] = uint8_t(b / count);
      dst[4 * c + 1] = uint8_t(g / count);
      dst[4 * c + 2] = uint8_t(red / count);
      dst[4 * c + 3] = 255;
    }
  }
}

void FrameEncoder::Impl::findChangedTiles(const EncodeInput& in, size_t stride,
                                          ReferenceFrame& reference, bool keyFrame) {
  changedTiles.assign(dirtyTiles.size(), 0);
  const size_t refStride = size_t(grid.width) * 4;
  const bool fullScale = grid.width == in.width && grid.height == in.height;
  if (fullScale && keyFrame) {
    // A key frame covers the whole screen: one copy per row.
    for (int y = 0; y < grid.height; ++y) {
      std::memcpy(reference.pixels.data() + refStride * y, in.pixels + stride * y, refStride);
    }
    changedTiles = dirtyTiles;
    return;
  }
  if (fullScale) {
    compareRows(in, stride, reference);
    return;
  }
  scaled.resize(size_t(kTileSize) * kTileSize * 4);
  for (size_t t = 0; t < dirtyTiles.size(); ++t) {
    if (!dirtyTiles[t]) continue;
    const TileRect r = grid.tile(int(t));
    uint8_t* dst = reference.pixels.data() + refStride * r.y + size_t(r.x) * 4;
    const size_t rowBytes = size_t(r.w) * 4;
    renderScaledTile(in, stride, r, scaled.data(), rowBytes);
    bool differs = keyFrame;
    for (int y = 0; y < r.h && !differs; ++y) {
      differs = std::memcmp(dst + refStride * y, &scaled[rowBytes * y], rowBytes) != 0;
    }
    if (!differs) continue;
    for (int y = 0; y < r.h; ++y) std::memcpy(dst + refStride * y, &scaled[rowBytes * y], rowBytes);
    changedTiles[t] = 1;
  }
}

void FrameEncoder::Impl::classifyTile(const ReferenceFrame& reference, size_t index, Slot& slot) {
  TileOutput& out = outputs[index];
  out.jpegCandidate = false;
  const TileRect r = grid.tile(changed[index]);
  const size_t refStride = size_t(grid.width) * 4;
  const uint8_t* src = reference.pixels.data() + refStride * r.y + size_t(r.x) * 4;
  uint32_t solid = 0;
  if (isSolid(src, refStride, r, solid)) {
    out.kind = TileKind::kSolid;
    out.data.resize(4);
    std::memcpy(out.data.data(), &solid, 4);
    return;
  }
  const size_t raw = size_t(r.w) * r.h * 4;
  if (gather(src, refStride, r, slot.gathered)) packTile(slot, slot.gathered, out.data);
  if (!out.data.empty() && compressedTileKept(out.data.size(), raw)) {
    out.kind = TileKind::kCompressed;
    return;
  }
  out.data.clear();
  out.jpegCandidate = true;
}

bool FrameEncoder::Impl::encodeJpegRect(const ReferenceFrame& reference, size_t index, Slot& slot) {
  const TileRect& r = jpegRects[index];
  TileOutput& out = jpegOutputs[index];
  const size_t refStride = size_t(grid.width) * 4;
  const uint8_t* src = reference.pixels.data() + refStride * r.y + size_t(r.x) * 4;
  if (slot.jpeg.encode(src, r.w, r.h, refStride, jpegQualityFor(r, quality), out.data)) {
    out.kind = TileKind::kJpeg;
    return true;
  }
  // No size test here: the rectangle must reach the viewer somehow.
  out.kind = TileKind::kCompressed;
  if (gather(src, refStride, r, slot.gathered)) packTile(slot, slot.gathered, out.data);
  return !out.data.empty();
}

// Sizes the grid for the input's scale and makes sure the reference matches it. False for an
// unusable input or no memory; `keyFrame` tells whether the reference had to start over.
bool FrameEncoder::Impl::prepareFrame(const EncodeInput& in, ReferenceFrame& reference,
                                      bool& keyFrame) {
  if (!in.pixels || in.width < 1 || in.height < 1 || in.width > kMaxEncodeSide ||
      in.height > kMaxEncodeSide || strideOf(in) < size_t(in.width) * 4) {
    return false;
  }
  scale = (in.scale == 50 || in.scale == 75) ? in.scale : 100;
  grid.width = std::max(1, int(int64_t(in.width) * scale / 100));
  grid.height = std::max(1, int(int64_t(in.height) * scale / 100));
  grid.cols = (grid.width + kTileSize - 1) / kTileSize;
  grid.rows = (grid.height + kTileSize - 1) / kTileSize;
  quality = clampQuality(in.quality);

  const size_t refSize = size_t(grid.width) * grid.height * 4;
  keyFrame = reference.empty() || reference.width != grid.width ||
             reference.height != grid.height || reference.pixels.size() != refSize;
  if (!keyFrame) return true;
  reference.clear();
  try {
    reference.pixels.resize(refSize);
  } catch (const std::bad_alloc&) {
    return false;
  }
  reference.width = grid.width;
  reference.height = grid.height;
  return true;
}

// Brings the reference up to date and lists the tiles that changed, in scan order.
void FrameEncoder::Impl::collectChangedTiles(const EncodeInput& in, ReferenceFrame& reference,
                                             bool keyFrame) {
  const DirtyRect wholeScreen{0, 0, in.width, in.height};
  std::span<const DirtyRect> dirty = in.dirty;
  if (keyFrame || dirty.empty()) dirty = {&wholeScreen, 1};
  markDirtyTiles(in, dirty);
  findChangedTiles(in, strideOf(in), reference, keyFrame);
  changed.clear();
  for (size_t t = 0; t < changedTiles.size(); ++t) {
    if (changedTiles[t]) changed.push_back(int(t));
  }
}

// Solid and compressed tiles, then the JPEG candidates merged into rectangles. False when a JPEG
// rectangle could be coded neither way.
bool FrameEncoder::Impl::encodeChangedTiles(const ReferenceFrame& reference) {
  outputs.resize(changed.size());
  runJobs(changed.size(), [&](size_t i, int slot) { classifyTile(reference, i, *slots[slot]); });
  std::vector<TileRect> candidates;
  for (size_t i = 0; i < changed.size(); ++i) {
    if (outputs[i].jpegCandidate) candidates.push_back(grid.tile(changed[i]));
  }
  jpegRects = mergeJpegRects(std::move(candidates));
  std::erase_if(jpegRects, [](const TileRect& r) { return r.w < 1 || r.h < 1; });
  jpegOutputs.resize(jpegRects.size());
  std::vector<uint8_t> ok(jpegRects.size(), 0);
  runJobs(jpegRects.size(),
          [&](size_t i, int slot) { ok[i] = encodeJpegRect(reference, i, *slots[slot]); });
  return std::find(ok.begin(), ok.end(), 0) == ok.end();
}

size_t FrameEncoder::Impl::tileCount() const {
  size_t count = jpegRects.size();
  for (const TileOutput& o : outputs) count += o.jpegCandidate ? 0 : 1;
  return count;
}

// The header, then the JPEG rectangles, then the other tiles in scan order.
void FrameEncoder::Impl::assemblePayload(const EncodeInput& in, size_t count, Bytes& payload) {
  FrameHeader header;
  header.scale = uint8_t(scale);
  header.cursorVisible = in.cursorVisible;
  header.gridWidth = uint16_t(grid.width);
  header.gridHeight = uint16_t(grid.height);
  header.screenWidth = uint16_t(in.width);
  header.screenHeight = uint16_t(in.height);
  header.frameIndex = in.frameIndex;
  header.cursorX = in.cursorX;
  header.cursorY = in.cursorY;
  header.tileCount = uint32_t(count);
  payload.reserve(kPayloadReserve);
  payload.assign(kFrameHeaderSize, 0);
  writeFrameHeader(payload.data(), header);
  for (size_t i = 0; i < jpegRects.size(); ++i) {
    appendTile(payload, tileHeaderOf(jpegRects[i], jpegOutputs[i].kind), jpegOutputs[i].data);
  }
  for (size_t i = 0; i < changed.size(); ++i) {
    if (outputs[i].jpegCandidate) continue;
    appendTile(payload, tileHeaderOf(grid.tile(changed[i]), outputs[i].kind), outputs[i].data);
  }
}

bool FrameEncoder::Impl::encode(const EncodeInput& in, ReferenceFrame& reference, Bytes& payload) {
  payload.clear();
  bool keyFrame = false;
  if (!prepareFrame(in, reference, keyFrame)) return false;
  collectChangedTiles(in, reference, keyFrame);
  const bool tilesCoded = encodeChangedTiles(reference);
  const size_t count = tileCount();
  if (!tilesCoded || count > kMaxTilesPerFrame) {
    reference.clear();
    return false;
  }
  if (count > 0) assemblePayload(in, count, payload);
  return true;
}

FrameEncoder::FrameEncoder(int threads) : impl_(std::make_unique<Impl>(threads)) {}
FrameEncoder::~FrameEncoder() = default;

bool FrameEncoder::encode(const EncodeInput& input, ReferenceFrame& reference, Bytes& payload) {
  if (impl_->encode(input, reference, payload)) return true;
  payload.clear();
  reference.clear();
  return false;
}

}  // namespace px
