// The FrameUpdate payload: a 32-byte FrameHeader, then tiles, each a 14-byte TileHeader and its
// data. Integers little-endian. Coordinates of tiles are in encoded-frame pixels (the screen scaled
// to the encoded width x height).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/bytes.h"

namespace px {

inline constexpr uint32_t kFrameMagic = 0x33465249;  // the bytes "IRF3"
inline constexpr size_t kFrameHeaderSize = 32;
inline constexpr size_t kTileHeaderSize = 14;
inline constexpr int kTileSize = 64;
inline constexpr uint32_t kMaxTilesPerFrame = 65535;

// FrameHeader offsets.
inline constexpr size_t kFrameMagicAt = 0;
inline constexpr size_t kFrameScaleAt = 4;
inline constexpr size_t kFrameCursorVisibleAt = 5;
inline constexpr size_t kFrameTileSizeAt = 6;
inline constexpr size_t kFrameGridWidthAt = 8;
inline constexpr size_t kFrameGridHeightAt = 10;
inline constexpr size_t kFrameScreenWidthAt = 12;
inline constexpr size_t kFrameScreenHeightAt = 14;
inline constexpr size_t kFrameIndexAt = 16;
inline constexpr size_t kFrameCursorXAt = 20;
inline constexpr size_t kFrameCursorYAt = 24;
inline constexpr size_t kFrameTileCountAt = 28;

enum class TileKind : uint8_t {
  kSolid = 0,       // 4 bytes: one B G R A pixel for the whole rectangle
  kCompressed = 1,  // u32 unpacked size (w * h * 4), then XPRESS-Huffman buffer-mode bytes
  kJpeg = 2,        // a complete baseline 4:4:4 JPEG file of the rectangle
};

// A compressed blob's leading unpacked-size field.
inline constexpr size_t kBlobSizeField = 4;

struct FrameHeader {
  uint8_t scale = 100;  // percent of the screen size: 50, 75 or 100
  bool cursorVisible = false;
  uint16_t tileSize = kTileSize;
  uint16_t gridWidth = 0;  // the encoded frame
  uint16_t gridHeight = 0;
  uint16_t screenWidth = 0;
  uint16_t screenHeight = 0;
  uint32_t frameIndex = 0;
  int32_t cursorX = 0;  // screen pixels
  int32_t cursorY = 0;
  uint32_t tileCount = 0;  // 0 to kMaxTilesPerFrame; the upper two bytes are 0 when we write it
};

struct TileHeader {
  uint16_t x = 0;  // encoded-frame pixels
  uint16_t y = 0;
  uint16_t w = 0;
  uint16_t h = 0;
  uint8_t kind = 0;  // a TileKind; unknown values are the reader's to reject
  uint32_t length = 0;  // bytes of tile data that follow
};

// Writes kFrameHeaderSize bytes, the magic first.
void writeFrameHeader(uint8_t* out, const FrameHeader& header);
// Reads every field; false (nothing read) when fewer than kFrameHeaderSize bytes or another magic.
bool readFrameHeader(ByteView payload, FrameHeader& header);
// Rewrites only the tile count of a header already written at `header`.
void writeFrameTileCount(uint8_t* header, uint32_t count);

// Writes kTileHeaderSize bytes; the byte after the kind is 0.
void writeTileHeader(uint8_t* out, const TileHeader& header);
// The caller has checked that kTileHeaderSize bytes are there.
TileHeader readTileHeader(const uint8_t* in);
// A tile header with data.size() as its length, then the data.
void appendTile(Bytes& payload, TileHeader header, ByteView data);

}  // namespace px
