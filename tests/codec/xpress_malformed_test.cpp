// Hand-made streams: the corners other decoders get wrong must decode, and broken input must be
// refused without writing outside the output.
#include <gtest/gtest.h>

#include <string>

#include "codec/xpress.h"
#include "codec/xpress_buffer_mode.h"
#include "codec/xpress_huffman.h"

namespace px {
namespace {

using xpress::decodeHuffmanStream;

// A 256-byte code-length table with the given (symbol, length) pairs.
Bytes table(std::initializer_list<std::pair<int, int>> codes) {
  Bytes t(xpress::kTableBytes, 0);
  for (auto [symbol, length] : codes) t[symbol / 2] |= uint8_t(length << (symbol % 2 ? 4 : 0));
  return t;
}

Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) appendBytes(out, p);
  return out;
}

constexpr int kMatchLen15Offset1 = 256 + 15;  // long-length escape, no offset bits
constexpr int kMatchLen3Offset1 = 256;        // the end-marker symbol

// 'A' (code 0), then one match (code 1) of 3 + d bytes at offset 1 using the 32-bit length form.
Bytes longMatchBlock(uint32_t d) {
  Bytes lengthBytes = {0xFF, 0x00, 0x00, 0, 0, 0, 0};
  storeLe32(&lengthBytes[3], d);
  return cat(
      {table({{'A', 1}, {kMatchLen15Offset1, 1}}), Bytes{0x00, 0x40, 0x00, 0x00}, lengthBytes});
}

TEST(XpressPitfallTest, ThirtyTwoBitLengthInABlockFarLongerThan64KiBWithoutEndMarker) {
  const uint32_t total = 200000;
  Bytes out(total);
  ASSERT_TRUE(decodeHuffmanStream(longMatchBlock(total - 1 - 3), out));
  EXPECT_EQ(out, Bytes(total, 'A'));
}

TEST(XpressPitfallTest, NextBlockTableIsReadRightAfterTheLengthBytes) {
  const uint32_t first = 70000;  // one block that ran past 64 KiB
  // Second block: 'B' (code 0) five times beside an unused partner 'C' (code 1).
  const Bytes second = cat({table({{'B', 1}, {'C', 1}}), Bytes{0, 0, 0, 0}});
  Bytes out(first + 5);
  ASSERT_TRUE(decodeHuffmanStream(cat({longMatchBlock(first - 1 - 3), second}), out));
  EXPECT_EQ(Bytes(out.begin(), out.begin() + first), Bytes(first, 'A'));
  EXPECT_EQ(Bytes(out.begin() + first, out.end()), Bytes(5, 'B'));
}

TEST(XpressPitfallTest, BlockUsingOneSymbolWithADummyPartner) {
  // 'Y' is code 0 and never used; 'Z' is code 1: forty one-bits.
  const Bytes stream =
      cat({table({{'Y', 1}, {'Z', 1}}), Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0xFF}});
  Bytes out(40);
  ASSERT_TRUE(decodeHuffmanStream(stream, out));
  EXPECT_EQ(out, Bytes(40, 'Z'));
}

TEST(XpressPitfallTest, SixteenBitLengthForm) {
  // 'A', then a match of W + 3 = 1003 bytes: escape byte 255, W = 1000.
  const Bytes stream = cat({table({{'A', 1}, {kMatchLen15Offset1, 1}}), Bytes{0x00, 0x40, 0, 0},
                            Bytes{0xFF, 0xE8, 0x03}});
  Bytes out(1004);
  ASSERT_TRUE(decodeHuffmanStream(stream, out));
  EXPECT_EQ(out, Bytes(1004, 'A'));
}

struct BadStream {
  std::string name;
  Bytes stream;
  size_t outputSize;
};

std::vector<BadStream> badStreams() {
  const Bytes ab = table({{'a', 1}, {'b', 1}});
  return {
      {"shorter_than_a_table", Bytes(100, 0x11), 10},
      {"empty_table", cat({table({}), Bytes(8, 0)}), 10},
      {"incomplete_single_code", cat({table({{'a', 1}}), Bytes(8, 0)}), 10},
      {"incomplete_lengths", cat({table({{'a', 1}, {'b', 2}}), Bytes(8, 0)}), 10},
      {"over_subscribed", cat({table({{'a', 1}, {'b', 1}, {'c', 1}}), Bytes(8, 0)}), 10},
      {"over_subscribed_long", cat({table({{'a', 1}, {'b', 2}, {'c', 2}, {'d', 15}}), Bytes(8, 0)}),
       10},
      // 32 bits hold 32 one-bit literals; the 33rd needs a bit the input does not have.
      {"bits_past_the_end", cat({ab, Bytes(4, 0)}), 33},
      {"no_words_at_all", ab, 1},
      // A match first: nothing to copy from yet.
      {"offset_before_output_start",
       cat({table({{'a', 1}, {kMatchLen3Offset1, 1}}), Bytes{0, 0x80, 0, 0}}), 8},
      // 'a' then a 3-byte match, into a 3-byte output.
      {"match_past_the_end", cat({table({{'a', 1}, {kMatchLen3Offset1, 1}}), Bytes{0, 0x40, 0, 0}}),
       3},
      {"length_byte_missing",
       cat({table({{'A', 1}, {kMatchLen15Offset1, 1}}), Bytes{0x00, 0x40, 0x00, 0x00}}), 100},
      {"length_word_missing",
       cat({table({{'A', 1}, {kMatchLen15Offset1, 1}}), Bytes{0x00, 0x40, 0x00, 0x00, 0xFF, 0x01}}),
       100},
      {"length_dword_missing",
       cat({table({{'A', 1}, {kMatchLen15Offset1, 1}}),
            Bytes{0x00, 0x40, 0x00, 0x00, 0xFF, 0, 0, 1, 0}}),
       100},
      // The first block ends at 64 KiB; the second block's table is missing.
      {"second_block_missing", longMatchBlock(65536 - 4), 65536 + 10},
  };
}

class XpressBadStreamTest : public testing::TestWithParam<BadStream> {};

TEST_P(XpressBadStreamTest, IsRefusedWithoutWritingPastTheOutput) {
  const BadStream& c = GetParam();
  Bytes buffer(c.outputSize + 64, 0xEE);
  ASSERT_FALSE(decodeHuffmanStream(c.stream, MutableByteView(buffer.data(), c.outputSize)));
  for (size_t i = c.outputSize; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], 0xEE) << i;
}

INSTANTIATE_TEST_SUITE_P(Streams, XpressBadStreamTest, testing::ValuesIn(badStreams()),
                         [](const auto& info) { return info.param.name; });

Bytes validPacked() {
  Bytes input(5000);
  for (size_t i = 0; i < input.size(); ++i) input[i] = uint8_t((i / 7) % 13);
  xpress::PortableXpressCompressor compressor;
  Bytes packed;
  EXPECT_TRUE(compressor.compress(input, packed));
  EXPECT_LT(packed.size(), 1000u);
  return packed;
}

void fixCheckByte(Bytes& packed) {
  uint32_t crc = xpress::crc32(ByteView(packed.data(), 6));
  crc = xpress::crc32(ByteView(packed.data() + 7, 17), crc);
  packed[6] = uint8_t(crc);
}

struct BadPacked {
  std::string name;
  void (*mutate)(Bytes&);
  bool oursOnly = false;  // framing we are strict about; Windows' own decoder may be lenient
};

const BadPacked kBadPacked[] = {
    {"truncated_header", [](Bytes& p) { p.resize(20); }},
    {"bad_magic",
     [](Bytes& p) {
       p[0] ^= 1;
       fixCheckByte(p);
     }},
    {"bad_header_size",
     [](Bytes& p) {
       p[4] = 25;
       fixCheckByte(p);
     }},
    {"bad_check_byte", [](Bytes& p) { p[6] ^= 0x5A; }, true},
    {"other_algorithm",
     [](Bytes& p) {
       p[7] = 3;
       fixCheckByte(p);
     }},
    {"chunk_size_not_total",
     [](Bytes& p) {
       p[16] ^= 1;
       fixCheckByte(p);
     },
     true},
    {"total_size_changed",
     [](Bytes& p) {
       p[8] ^= 1;
       fixCheckByte(p);
     }},
    {"huge_size_short_input",
     [](Bytes& p) {
       storeLe64(&p[8], 1ull << 40);
       storeLe64(&p[16], 64ull << 20);
       fixCheckByte(p);
     }},
    {"chunk_size_field_above_chunk", [](Bytes& p) { storeLe32(&p[24], 6000); }},
    {"chunk_size_field_past_input", [](Bytes& p) { storeLe32(&p[24], loadLe32(&p[24]) + 1); }},
    // Eight bytes hold more than the end marker and the padding word: real bits are gone.
    {"truncated_chunk",
     [](Bytes& p) {
       p.erase(p.end() - 8, p.end());
       storeLe32(&p[24], loadLe32(&p[24]) - 8);
     }},
    {"trailing_bytes", [](Bytes& p) { p.push_back(0); }, true},
    {"damaged_code_table", [](Bytes& p) { std::fill(p.begin() + 28, p.begin() + 28 + 256, 0x11); }},
};

class XpressBadPackedTest : public testing::TestWithParam<BadPacked> {};

TEST_P(XpressBadPackedTest, IsRefusedByBothDecompressors) {
  Bytes packed = validPacked();
  GetParam().mutate(packed);
  Bytes out;
  XpressDecompressor platform;
  if (!GetParam().oursOnly || !platform.usesSystemCoder()) {
    EXPECT_FALSE(platform.decompress(packed, 1u << 20, out));
  }
  xpress::PortableXpressDecompressor ours;
  EXPECT_FALSE(ours.decompress(packed, 1u << 20, out));
}

INSTANTIATE_TEST_SUITE_P(Packed, XpressBadPackedTest, testing::ValuesIn(kBadPacked),
                         [](const auto& info) { return info.param.name; });

TEST(XpressDecompressorTest, DeclaredSizeAboveTheBoundIsRefusedBeforeDecoding) {
  const Bytes packed = validPacked();
  Bytes out;
  xpress::PortableXpressDecompressor ours;
  EXPECT_FALSE(ours.decompress(packed, 4999, out));
  EXPECT_TRUE(ours.decompress(packed, 5000, out));
  EXPECT_EQ(out.size(), 5000u);
}

}  // namespace
}  // namespace px
