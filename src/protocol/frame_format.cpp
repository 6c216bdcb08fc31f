#include "protocol/frame_format.h"

namespace px {

void writeFrameHeader(uint8_t* out, const FrameHeader& h) {
  storeLe32(out + kFrameMagicAt, kFrameMagic);
  out[kFrameScaleAt] = h.scale;
  out[kFrameCursorVisibleAt] = h.cursorVisible ? 1 : 0;
  storeLe16(out + kFrameTileSizeAt, h.tileSize);
  storeLe16(out + kFrameGridWidthAt, h.gridWidth);
  storeLe16(out + kFrameGridHeightAt, h.gridHeight);
  storeLe16(out + kFrameScreenWidthAt, h.screenWidth);
  storeLe16(out + kFrameScreenHeightAt, h.screenHeight);
  storeLe32(out + kFrameIndexAt, h.frameIndex);
  storeLe32(out + kFrameCursorXAt, uint32_t(h.cursorX));
  storeLe32(out + kFrameCursorYAt, uint32_t(h.cursorY));
  storeLe32(out + kFrameTileCountAt, h.tileCount);
}

bool readFrameHeader(ByteView payload, FrameHeader& h) {
  if (payload.size() < kFrameHeaderSize) return false;
  const uint8_t* in = payload.data();
  if (loadLe32(in + kFrameMagicAt) != kFrameMagic) return false;
  h.scale = in[kFrameScaleAt];
  h.cursorVisible = in[kFrameCursorVisibleAt] != 0;
  h.tileSize = loadLe16(in + kFrameTileSizeAt);
  h.gridWidth = loadLe16(in + kFrameGridWidthAt);
  h.gridHeight = loadLe16(in + kFrameGridHeightAt);
  h.screenWidth = loadLe16(in + kFrameScreenWidthAt);
  h.screenHeight = loadLe16(in + kFrameScreenHeightAt);
  h.frameIndex = loadLe32(in + kFrameIndexAt);
  h.cursorX = int32_t(loadLe32(in + kFrameCursorXAt));
  h.cursorY = int32_t(loadLe32(in + kFrameCursorYAt));
  h.tileCount = loadLe32(in + kFrameTileCountAt);
  return true;
}

void writeFrameTileCount(uint8_t* header, uint32_t count) {
  storeLe32(header + kFrameTileCountAt, count);
}

void writeTileHeader(uint8_t* out, const TileHeader& h) {
  storeLe16(out, h.x);
  storeLe16(out + 2, h.y);
  storeLe16(out + 4, h.w);
  storeLe16(out + 6, h.h);
  out[8] = h.kind;
  out[9] = 0;
  storeLe32(out + 10, h.length);
}

TileHeader readTileHeader(const uint8_t* in) {
  return {loadLe16(in), loadLe16(in + 2), loadLe16(in + 4), loadLe16(in + 6), in[8],
          loadLe32(in + 10)};
}

void appendTile(Bytes& payload, TileHeader header, ByteView data) {
  header.length = uint32_t(data.size());
  uint8_t bytes[kTileHeaderSize];
  writeTileHeader(bytes, header);
  payload.insert(payload.end(), bytes, bytes + kTileHeaderSize);
  appendBytes(payload, data);
}

}  // namespace px
