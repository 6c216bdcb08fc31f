#include "protocol/frame_format.h"

#include <gtest/gtest.h>

namespace px {
namespace {

// The header's bytes are the wire format: every field at its offset, little-endian, so a
// reordered struct or a changed offset shows here before a peer sees it.
TEST(FrameFormat, HeaderFieldsSitAtTheirWireOffsets) {
  FrameHeader header;
  header.scale = 75;
  header.cursorVisible = true;
  header.gridWidth = 0x0102;
  header.gridHeight = 0x0304;
  header.screenWidth = 0x0506;
  header.screenHeight = 0x0708;
  header.frameIndex = 0x0A0B0C0D;
  header.cursorX = -2;
  header.cursorY = 0x11223344;
  header.tileCount = 65535;
  Bytes bytes(kFrameHeaderSize, 0xEE);
  writeFrameHeader(bytes.data(), header);
  const Bytes expected = {'I', 'R', 'F', '3', 75, 1, 64, 0, 0x02, 0x01, 0x04, 0x03, 0x06, 0x05,
                          0x08, 0x07, 0x0D, 0x0C, 0x0B, 0x0A, 0xFE, 0xFF, 0xFF, 0xFF, 0x44,
                          0x33, 0x22, 0x11, 0xFF, 0xFF, 0x00, 0x00};
  EXPECT_EQ(bytes, expected);

  FrameHeader back;
  ASSERT_TRUE(readFrameHeader(bytes, back));
  EXPECT_EQ(back.scale, 75);
  EXPECT_TRUE(back.cursorVisible);
  EXPECT_EQ(back.gridWidth, 0x0102);
  EXPECT_EQ(back.screenHeight, 0x0708);
  EXPECT_EQ(back.frameIndex, 0x0A0B0C0Du);
  EXPECT_EQ(back.cursorX, -2);
  EXPECT_EQ(back.cursorY, 0x11223344);
  EXPECT_EQ(back.tileCount, 65535u);
}

TEST(FrameFormat, HeaderReaderRefusesShortInputAndOtherMagics) {
  Bytes bytes(kFrameHeaderSize, 0);
  writeFrameHeader(bytes.data(), FrameHeader{});
  FrameHeader header;
  EXPECT_TRUE(readFrameHeader(bytes, header));
  EXPECT_FALSE(readFrameHeader(ByteView(bytes.data(), kFrameHeaderSize - 1), header));
  bytes[3] = '4';
  EXPECT_FALSE(readFrameHeader(bytes, header));
}

TEST(FrameFormat, TileHeaderRoundTripsAndCarriesTheDataLength) {
  Bytes payload;
  const uint8_t data[] = {1, 2, 3, 4, 5};
  appendTile(payload, {0x1234, 2, 64, 17, uint8_t(TileKind::kJpeg), 999}, ByteView(data, 5));
  ASSERT_EQ(payload.size(), kTileHeaderSize + 5);
  const Bytes expectedHeader = {0x34, 0x12, 2, 0, 64, 0, 17, 0, 2, 0, 5, 0, 0, 0};
  EXPECT_EQ(Bytes(payload.begin(), payload.begin() + kTileHeaderSize), expectedHeader);
  const TileHeader back = readTileHeader(payload.data());
  EXPECT_EQ(back.x, 0x1234);
  EXPECT_EQ(back.h, 17);
  EXPECT_EQ(back.kind, uint8_t(TileKind::kJpeg));
  EXPECT_EQ(back.length, 5u);  // the data's own length, not the one passed in
}

}  // namespace
}  // namespace px
