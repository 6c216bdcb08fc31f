// Test helpers for FrameUpdate payloads: a builder for hand-made (often malformed) frames and a
// reader that lists the tiles of an encoder's payload.
#pragma once

#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "protocol/frame_format.h"

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
  FrameHeader header;
  if (!readFrameHeader(p, header)) return false;
  out = {};
  out.scale = header.scale;
  out.cursorVisible = header.cursorVisible;
  out.gridWidth = header.gridWidth;
  out.gridHeight = header.gridHeight;
  out.screenWidth = header.screenWidth;
  out.screenHeight = header.screenHeight;
  out.index = header.frameIndex;
  out.cursorX = header.cursorX;
  out.cursorY = header.cursorY;
  size_t at = kFrameHeaderSize;
  for (uint32_t i = 0; i < header.tileCount; ++i) {
    if (p.size() - at < kTileHeaderSize) return false;
    const TileHeader tile = readTileHeader(&p[at]);
    if (tile.length > p.size() - at - kTileHeaderSize) return false;
    FrameTile t{tile.x, tile.y, tile.w, tile.h, tile.kind, {}};
    const size_t data = at + kTileHeaderSize;
    t.data.assign(p.begin() + data, p.begin() + data + tile.length);
    out.tiles.push_back(std::move(t));
    at = data + tile.length;
  }
  return at == p.size();
}

class FrameBuilder {
 public:
  FrameBuilder(int gridW, int gridH, int screenW, int screenH) : payload_(kFrameHeaderSize, 0) {
    FrameHeader header;
    header.gridWidth = uint16_t(gridW);
    header.gridHeight = uint16_t(gridH);
    header.screenWidth = uint16_t(screenW);
    header.screenHeight = uint16_t(screenH);
    writeFrameHeader(payload_.data(), header);
  }
  // Appends a tile; the count in the header follows unless forced with setCount.
  FrameBuilder& tile(int x, int y, int w, int h, uint8_t kind, ByteView data) {
    appendTile(payload_, {uint16_t(x), uint16_t(y), uint16_t(w), uint16_t(h), kind, 0}, data);
    writeFrameTileCount(payload_.data(), ++count_);
    return *this;
  }
  FrameBuilder& solid(int x, int y, int w, int h, uint32_t bgra) {
    uint8_t v[4];
    storeLe32(v, bgra);
    return tile(x, y, w, h, 0, ByteView(v, 4));
  }
  FrameBuilder& setCount(uint32_t count) {
    writeFrameTileCount(payload_.data(), count);
    return *this;
  }
  Bytes& bytes() { return payload_; }

 private:
  Bytes payload_;
  uint32_t count_ = 0;
};

}  // namespace px::test
