#include "codec/jpeg_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "support/platform_quirks.h"

namespace px {
namespace {

// True when the file's start-of-frame segment gives every component 1 x 1 sampling (4:4:4).
bool isFullChroma(const Bytes& jpeg) {
  for (size_t i = 2; i + 4 < jpeg.size();) {
    if (jpeg[i] != 0xFF) return false;
    const uint8_t marker = jpeg[i + 1];
    const size_t length = size_t(jpeg[i + 2]) << 8 | jpeg[i + 3];
    if (marker == 0xC0 || marker == 0xC1) {
      const uint8_t components = jpeg[i + 9];
      for (uint8_t c = 0; c < components; ++c) {
        if (jpeg[i + 11 + 3 * c] != 0x11) return false;
      }
      return true;
    }
    i += 2 + length;
  }
  return false;
}

// A picture whose columns alternate red and blue: with 4:2:0 or 4:2:2 chroma the colours would
// bleed into grey-purple; with 4:4:4 each column keeps its colour.
Bytes chromaStripes(int w, int h, int stride) {
  Bytes p(size_t(stride) * h, 0xEE);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* q = &p[size_t(y) * stride + size_t(x) * 4];
      const bool red = x % 2 == 0;
      q[0] = red ? 0 : 255, q[1] = 0, q[2] = red ? 255 : 0;
    }
  return p;
}

TEST(JpegCodecTest, RoundTripKeepsFullChromaResolution) {
  const int w = 48, h = 40, stride = w * 4 + 12;  // padded rows: the stride is honoured
  const Bytes picture = chromaStripes(w, h, stride);
  JpegEncoder encoder;
  Bytes jpeg;
  ASSERT_TRUE(encoder.encode(picture.data(), w, h, stride, 0.95f, jpeg));
  ASSERT_GT(jpeg.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  if (!isFullChroma(jpeg) && test::runningUnderWine()) {
    GTEST_SKIP() << "Wine's JPEG encoder ignores JpegYCrCbSubsampling and writes 4:2:0";
  }
  EXPECT_TRUE(isFullChroma(jpeg)) << "baseline frame with 1 x 1 sampling in every component";
  JpegDecoder decoder;
  Bytes bgra;
  ASSERT_TRUE(decoder.decode(jpeg, w, h, bgra));
  ASSERT_EQ(bgra.size(), size_t(w) * h * 4);
  int worst = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c)
        worst = std::max(worst, std::abs(int(bgra[(size_t(y) * w + x) * 4 + c]) -
                                         int(picture[size_t(y) * stride + size_t(x) * 4 + c])));
  EXPECT_LE(worst, 60) << "4:4:4 keeps one-pixel colour detail";
  EXPECT_EQ(bgra[3], 255);
}

TEST(JpegCodecTest, DecodeRefusals) {
  const Bytes picture = chromaStripes(16, 8, 64);
  JpegEncoder encoder;
  Bytes jpeg;
  ASSERT_TRUE(encoder.encode(picture.data(), 16, 8, 64, 0.9f, jpeg));
  JpegDecoder decoder;
  Bytes out = {1};
  struct Case {
    const char* name;
    Bytes data;
    int w, h;
  } cases[] = {
      {"wider than expected", jpeg, 15, 8},
      {"taller than expected", jpeg, 16, 9},
      {"empty", {}, 16, 8},
      {"not a JPEG", Bytes(100, 0x55), 16, 8},
      {"cut in half", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2), 16, 8},
      {"no expected size", jpeg, 0, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(decoder.decode(c.data, c.w, c.h, out));
    EXPECT_TRUE(out.empty());
  }
  EXPECT_TRUE(decoder.decode(jpeg, 16, 8, out));
}

TEST(JpegCodecTest, EncodeRefusesEmptyPictures) {
  JpegEncoder encoder;
  Bytes jpeg;
  const Bytes pixel(4, 0);
  EXPECT_FALSE(encoder.encode(pixel.data(), 0, 1, 4, 0.9f, jpeg));
  EXPECT_FALSE(encoder.encode(nullptr, 1, 1, 4, 0.9f, jpeg));
  EXPECT_TRUE(encoder.encode(pixel.data(), 1, 1, 4, 0.9f, jpeg));
}

}  // namespace
}  // namespace px
