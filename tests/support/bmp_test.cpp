#include <gtest/gtest.h>

#include "support/bmp.h"

namespace px::test {
namespace {

BgraImage gradient(int width, int height) {
  BgraImage image{width, height, Bytes(size_t(width) * height * 4)};
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = i % 4 == 3 ? 255 : uint8_t(i * 7);
  return image;
}

TEST(BmpTest, RoundTripKeepsEveryPixelAndRowOrder) {
  const BgraImage image = gradient(5, 3);
  BgraImage back;
  ASSERT_TRUE(decodeBmp(encodeBmp(image), back));
  EXPECT_EQ(back.width, 5);
  EXPECT_EQ(back.height, 3);
  EXPECT_EQ(back.pixels, image.pixels);
}

TEST(BmpTest, BottomUpRowsComeBackTopDownAndOpaque) {
  Bytes file = encodeBmp(gradient(2, 2));
  storeLe32(&file[22], 2);  // positive height: the first stored row is the bottom one
  file[54 + 3] = 0;         // a stored alpha of 0 does not make the pixel transparent
  BgraImage back;
  ASSERT_TRUE(decodeBmp(file, back));
  EXPECT_EQ(Bytes(back.pixels.begin(), back.pixels.begin() + 3), Bytes(&file[62], &file[65]));
  EXPECT_EQ(back.pixels[8 + 3], 255);
}

TEST(BmpTest, RejectsWhatItCannotPaint) {
  const Bytes good = encodeBmp(gradient(4, 4));
  struct Case {
    const char* what;
    size_t at;
    uint8_t value;
  };
  const Case cases[] = {
      {"not BM", 0, 'X'},      {"24 bits per pixel", 28, 24}, {"compressed", 30, 3},
      {"zero width", 18, 0},   {"offset past the end", 11, 0xFF},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    file[c.at] = c.value;
    BgraImage out;
    EXPECT_FALSE(decodeBmp(file, out)) << c.what;
  }
  BgraImage out;
  EXPECT_FALSE(decodeBmp(ByteView(good).first(good.size() - 1), out)) << "truncated pixels";
}

}  // namespace
}  // namespace px::test
