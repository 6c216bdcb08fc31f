// The FrameUpdate payload: a 32-byte FrameHeader, then tiles, each a 14-byte TileHeader and its
// data. Integers little-endian. Coordinates of tiles are in encoded-frame pixels (the screen scaled
// to the encoded width x height).
#pragma once

#include <cstddef>
#include <cstdint>

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

}  // namespace px
