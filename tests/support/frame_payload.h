// Test helpers for FrameUpdate payloads: a builder for hand-made (often malformed) frames and a
// reader that lists the tiles of an encoder's payload.
#pragma once

#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "host/frame_format.h"

namespace px::test {

struct FrameTile {
  int x = 0, y = 0, w = 0, h = 0;
  uint8_t kind = 0;
  Bytes data;
};

struct ParsedFrame {
  int scale = 0, gridWidth = 0, gridHeight = 0, screenWidth = 0, screenHeight = 0;
  uint32_t index = 0;
  bool cursorVisible = false;
  int32_t cursorX = 0, cursorY = 0;
  std::vector<FrameTile> tiles;
};

// Assumes a well-formed payload (the encoder's); false otherwise.
inline bool parseFramePayload(ByteView p, ParsedFrame& out) {
  if (p.size() < kFrameHeaderSize || loadLe32(p.data()) != kFrameMagic) return false;
  out = {};
  out.scale = p[4];
  out.cursorVisible = p[5] != 0;
  out.gridWidth = loadLe16(&p[8]);
  out.gridHeight = loadLe16(&p[10]);
  out.screenWidth = loadLe16(&p[12]);
  out.screenHeight = loadLe16(&p[14]);
  out.index = loadLe32(&p[16]);
  out.cursorX = int32_t(loadLe32(&p[20]));
  out.cursorY = int32_t(loadLe32(&p[24]));
  const uint32_t count = loadLe32(&p[28]);
  size_t at = kFrameHeaderSize;
  for (uint32_t i = 0; i < count; ++i) {
    if (p.size() - at < kTileHeaderSize) return false;
    FrameTile t{loadLe16(&p[at]),
                loadLe16(&p[at + 2]),
                loadLe16(&p[at + 4]),
                loadLe16(&p[at + 6]),
                p[at + 8],
                {}};
    const uint32_t size = loadLe32(&p[at + 10]);
    if (size > p.size() - at - kTileHeaderSize) return false;
    t.data.assign(p.begin() + at + kTileHeaderSize, p.begin() + at + kTileHeaderSize + size);
    out.tiles.push_back(std::move(t));
    at += kTileHeaderSize + size;
  }
  return at == p.size();
}

class FrameBuilder {
 public:
  FrameBuilder(int gridW, int gridH, int screenW, int screenH) : payload_(kFrameHeaderSize, 0) {
    storeLe32(&payload_[0], kFrameMagic);
    payload_[4] = 100;
    storeLe16(&payload_[6], kTileSize);
    storeLe16(&payload_[8], uint16_t(gridW));
    storeLe16(&payload_[10], uint16_t(gridH));
    storeLe16(&payload_[12], uint16_t(screenW));
    storeLe16(&payload_[14], uint16_t(screenH));
  }
  // Appends a tile; the count in the header follows unless forced with setCount.
  FrameBuilder& tile(int x, int y, int w, int h, uint8_t kind, ByteView data) {
    uint8_t header[kTileHeaderSize] = {};
    storeLe16(&header[0], uint16_t(x));
    storeLe16(&header[2], uint16_t(y));
    storeLe16(&header[4], uint16_t(w));
    storeLe16(&header[6], uint16_t(h));
    header[8] = kind;
    storeLe32(&header[10], uint32_t(data.size()));
    payload_.insert(payload_.end(), header, header + kTileHeaderSize);
    appendBytes(payload_, data);
    storeLe32(&payload_[28], ++count_);
    return *this;
  }
  FrameBuilder& solid(int x, int y, int w, int h, uint32_t bgra) {
    uint8_t v[4];
    storeLe32(v, bgra);
    return tile(x, y, w, h, 0, ByteView(v, 4));
  }
  FrameBuilder& setCount(uint32_t count) {
    storeLe32(&payload_[28], count);
    return *this;
  }
  Bytes& bytes() { return payload_; }

 private:
  Bytes payload_;
  uint32_t count_ = 0;
};

}  // namespace px::test
