// Our compressor's output decodes back to the input, in raw form and in buffer mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "codec/xpress.h"
#include "codec/xpress_buffer_mode.h"
#include "codec/xpress_huffman.h"

namespace px {
namespace {

Bytes randomBytes(size_t n, uint32_t seed, int alphabet = 256) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = uint8_t(rng() % alphabet);
  return out;
}

// Screen-like content: runs of a few colours with an opaque alpha byte, rows that repeat.
Bytes tileLike(int width, int height, uint32_t seed) {
  std::mt19937 rng(seed);
  Bytes out(size_t(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = &out[(size_t(y) * width + x) * 4];
      if (y > 0 && rng() % 4 != 0) {
        std::memcpy(p, p - width * 4, 4);
      } else if (x > 0 && rng() % 3 != 0) {
        std::memcpy(p, p - 4, 4);
      } else {
        p[0] = uint8_t(rng() % 8 * 32);
        p[1] = uint8_t(rng() % 8 * 32);
        p[2] = uint8_t(rng());
      }
      p[3] = 255;
    }
  }
  return out;
}

struct RoundTripCase {
  std::string name;
  Bytes input;
};

std::vector<RoundTripCase> roundTripCases() {
  std::vector<RoundTripCase> cases = {
      {"one_byte", Bytes{0x42}},
      {"tiny_text", Bytes{'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c'}},
      {"all_same_300", Bytes(300, 7)},
      {"all_same_16k", Bytes(16384, 0xFF)},
      {"random_16k", randomBytes(16384, 1)},
      {"two_symbols_5k", randomBytes(5000, 2, 2)},
      {"tile_64x64", tileLike(64, 64, 3)},
      {"tile_edge_56x64", tileLike(56, 64, 4)},
      {"block_minus_one", tileLike(128, 128, 5)},
      {"zeros_64k_minus_1", Bytes(65535, 0)},
      {"zeros_64k", Bytes(65536, 0)},
      {"zeros_64k_plus_1", Bytes(65537, 0)},
      {"zeros_64k_plus_40", Bytes(65536 + 40, 0)},
      {"zeros_64k_plus_41", Bytes(65536 + 41, 0)},
      {"random_64k_plus_1", randomBytes(65537, 6, 16)},
      {"mixed_200k", tileLike(250, 200, 7)},
      {"long_run_1m", Bytes(1 << 20, 'x')},
  };
  cases[8].input.resize(65535);
  // A long run that crosses a block end and stops a few bytes before the end of the input.
  Bytes crossing(65536 * 2 + 30, 'r');
  for (size_t i = 0; i < 1000; ++i) crossing[i] = uint8_t(i * 7);
  crossing.back() = 'z';
  cases.push_back({"run_across_block_end", crossing});
  // Matches of every length up to 300 and a few past 65535 (one- and three-byte length fields),
  // between literals, so that the length bytes land at every bit position of the words.
  Bytes runs;
  for (size_t length = 1; length <= 300; ++length) {
    runs.push_back(uint8_t(length * 37));
    runs.insert(runs.end(), length, uint8_t(length));
  }
  for (size_t length : {65535 + 3, 65535 + 18, 70000}) {
    runs.push_back(0xA5);
    runs.insert(runs.end(), length, uint8_t(length));
  }
  cases.push_back({"runs_of_many_lengths", runs});
  return cases;
}

class XpressRoundTripTest : public testing::TestWithParam<RoundTripCase> {};

TEST_P(XpressRoundTripTest, RawStreamDecodesBack) {
  const Bytes& input = GetParam().input;
  xpress::HuffmanStreamEncoder encoder;
  Bytes stream;
  // A limit the stream always fits under, so every case is really encoded.
  ASSERT_TRUE(encoder.encode(input, input.size() * 2 + 1024, stream));
  Bytes out(input.size());
  ASSERT_TRUE(xpress::decodeHuffmanStream(stream, out));
  EXPECT_TRUE(out == input);
}

TEST_P(XpressRoundTripTest, StreamOfExactlyTheLimitIsRefused) {
  const Bytes& input = GetParam().input;
  xpress::HuffmanStreamEncoder encoder;
  Bytes stream;
  ASSERT_TRUE(encoder.encode(input, input.size() * 2 + 1024, stream));
  const Bytes prefix = {1, 2, 3};
  Bytes out = prefix;
  EXPECT_FALSE(encoder.encode(input, stream.size(), out));
  EXPECT_EQ(out, prefix) << "a refused stream leaves the output as it was";
  ASSERT_TRUE(encoder.encode(input, stream.size() + 1, out));
  EXPECT_TRUE(std::equal(stream.begin(), stream.end(), out.begin() + 3, out.end()));
}

TEST_P(XpressRoundTripTest, BufferModeDecodesBackWithBothCoders) {
  const Bytes& input = GetParam().input;
  XpressCompressor compressor;  // the platform's coder
  xpress::PortableXpressCompressor portable;
  for (int pass = 0; pass < 2; ++pass) {
    Bytes packed;
    ASSERT_TRUE(pass == 0 ? compressor.compress(input, packed) : portable.compress(input, packed));
    EXPECT_LE(packed.size(), input.size() + 28) << "a chunk is never stored larger than it is";
    Bytes out;
    XpressDecompressor decompressor;
    ASSERT_TRUE(decompressor.decompress(packed, input.size(), out));
    EXPECT_TRUE(out == input);
    xpress::PortableXpressDecompressor ours;
    ASSERT_TRUE(ours.decompress(packed, input.size(), out));
    EXPECT_TRUE(out == input);
  }
}

INSTANTIATE_TEST_SUITE_P(Inputs, XpressRoundTripTest, testing::ValuesIn(roundTripCases()),
                         [](const auto& info) { return info.param.name; });

TEST(XpressCompressorTest, ReusedCompressorGivesTheSameBytesAsAFreshOne) {
  xpress::PortableXpressCompressor reused;
  Bytes scratch;
  for (uint32_t seed = 10; seed < 20; ++seed)
    ASSERT_TRUE(reused.compress(tileLike(64, 64, seed), scratch));
  const Bytes tile = tileLike(64, 64, 99);
  Bytes a, b;
  ASSERT_TRUE(reused.compress(tile, a));
  xpress::PortableXpressCompressor fresh;
  ASSERT_TRUE(fresh.compress(tile, b));
  EXPECT_TRUE(a == b);
}

TEST(XpressCompressorTest, HeaderMatchesWindowsLayout) {
  xpress::PortableXpressCompressor compressor;
  Bytes packed;
  ASSERT_TRUE(compressor.compress(Bytes(1000, 'q'), packed));
  ASSERT_GE(packed.size(), 28u);
  const uint8_t start[] = {0x0A, 0x51, 0xE5, 0xC0, 0x18, 0x00};
  EXPECT_TRUE(std::equal(start, start + 4, packed.begin()));
  EXPECT_EQ(packed[4], start[4]);
  EXPECT_EQ(packed[7], 4);
  EXPECT_EQ(loadLe64(&packed[8]), 1000u);
  EXPECT_EQ(loadLe64(&packed[16]), 1000u);
  EXPECT_LT(loadLe32(&packed[24]), 1000u) << "a run compresses";
  xpress::BufferModeHeader header;
  EXPECT_TRUE(xpress::parseBufferModeHeader(packed, header));
}

TEST(XpressCompressorTest, ShortAndIncompressibleInputsAreStored) {
  xpress::PortableXpressCompressor compressor;
  for (const Bytes& input : {Bytes(299, 0), randomBytes(5000, 8)}) {
    Bytes packed;
    ASSERT_TRUE(compressor.compress(input, packed));
    ASSERT_EQ(packed.size(), 28 + input.size());
    EXPECT_EQ(loadLe32(&packed[24]), input.size());
    EXPECT_TRUE(std::equal(input.begin(), input.end(), packed.begin() + 28));
  }
}

TEST(XpressCompressorTest, EmptyInputIsRefused) {
  XpressCompressor compressor;
  Bytes packed;
  EXPECT_FALSE(compressor.compress({}, packed));
}

TEST(XpressCompressorTest, RawStreamEndsWithTheEndMarkerHabit) {
  // 'a' then a run: a literal, one long match (one extra length byte), then symbol 256.
  xpress::HuffmanStreamEncoder encoder;
  Bytes stream;
  ASSERT_TRUE(encoder.encode(Bytes(100, 'a'), 1000, stream));
  Bytes out(100);
  ASSERT_TRUE(xpress::decodeHuffmanStream(stream, out));
  EXPECT_EQ(out, Bytes(100, 'a'));
  EXPECT_NE(stream[xpress::kEndMarker / 2] & 0x0F, 0) << "symbol 256 has a code";
  EXPECT_EQ(stream.size(), xpress::kTableBytes + 5) << "two words, the length byte between them";
}

}  // namespace
}  // namespace px
