#include "viewer/thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "support/test_paths.h"

namespace px {
namespace {

class ThumbnailTest : public testing::Test {
 protected:
  void SetUp() override { setDataFolderOverride(temp_.path()); }
  void TearDown() override { setDataFolderOverride({}); }
  test::TempDir temp_;
};

Bytes gradient(int w, int h) {
  Bytes p(size_t(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* q = &p[(size_t(y) * w + x) * 4];
      q[0] = uint8_t(x), q[1] = uint8_t(y), q[2] = uint8_t(x + y), q[3] = 7;
    }
  return p;
}

TEST_F(ThumbnailTest, FullHdScreenGivesTheFixedBmp) {
  const Bytes screen = gradient(1920, 1080);
  ASSERT_TRUE(saveThumbnail("123456789", screen.data(), 1920, 1080));
  Bytes file;
  ASSERT_TRUE(readWholeFile(dataFolder() / "thumbs" / "123456789.bmp", file));
  ASSERT_EQ(file.size(), 230454u);
  const uint8_t header[54] = {'B', 'M', 0x36, 0x84, 0x03, 0,    0, 0, 0,    0,
                              54,  0,   0,    0,    40,   0,    0, 0, 0x40, 1,
                              0,   0,   0x4C, 0xFF, 0xFF, 0xFF, 1, 0, 32,   0};
  EXPECT_TRUE(std::equal(header, header + 54, file.begin()));
  // First pixel is the screen's top-left, with opaque alpha.
  EXPECT_EQ(file[54], screen[0]);
  EXPECT_EQ(file[55], screen[1]);
  EXPECT_EQ(file[56], screen[2]);
  EXPECT_EQ(file[57], 255);
  // Pixel (c, r) comes from source (c * 1920 / 320, r * 1080 / 180).
  const size_t at = 54 + (size_t(10) * 320 + 7) * 4;
  EXPECT_EQ(file[at], uint8_t(7 * 6));
  EXPECT_EQ(file[at + 1], uint8_t(10 * 6));
}

TEST_F(ThumbnailTest, FourByThreeIsStretched) {
  const Bytes screen = gradient(1024, 768);
  const Bytes bmp = buildThumbnailBmp(screen.data(), 1024, 768);
  // Last column of the thumbnail: source column 319 * 1024 / 320 = 1020; last row 179 * 768 / 180 =
  // 763.
  const size_t at = 54 + (size_t(179) * 320 + 319) * 4;
  EXPECT_EQ(bmp[at], uint8_t(1020));
  EXPECT_EQ(bmp[at + 1], uint8_t(763));
}

TEST_F(ThumbnailTest, NamesAndRefusals) {
  EXPECT_EQ(thumbnailFileName("12 34/56"), "12_34_56.bmp");
  EXPECT_EQ(thumbnailFileName("a.b-c_D9"), "a.b-c_D9.bmp");
  EXPECT_EQ(thumbnailFileName(""), "addr.bmp");
  EXPECT_EQ(thumbnailFileName("\xC3\xA9"), "__.bmp");
  const Bytes screen = gradient(4, 4);
  EXPECT_FALSE(saveThumbnail("", screen.data(), 4, 4));
  EXPECT_FALSE(saveThumbnail("x", nullptr, 4, 4));
  EXPECT_FALSE(saveThumbnail("x", screen.data(), 1, 4));
  EXPECT_TRUE(saveThumbnail("x", screen.data(), 2, 2));
}

TEST_F(ThumbnailTest, DecodingAcceptsOnlyWhatBuildWrites) {
  const Bytes screen = gradient(640, 360);
  const Bytes good = buildThumbnailBmp(screen.data(), 640, 360);
  Bytes pixels;
  ASSERT_TRUE(decodeThumbnailBmp(good, pixels));
  ASSERT_EQ(pixels.size(), 320u * 180 * 4);
  EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), good.begin() + 54));

  Bytes translucent = good;
  translucent[54 + 3] = 0;
  ASSERT_TRUE(decodeThumbnailBmp(translucent, pixels));
  EXPECT_EQ(pixels[3], 255);  // a damaged alpha must not make the picture see-through

  struct Case {
    const char* what;
    size_t offset;  // the byte changed; SIZE_MAX for a size change
    int value;      // new byte, or the size difference
  };
  const Case cases[] = {
      {"not BM", 0, 'X'},           {"file size field", 2, 0x37},
      {"pixel offset", 10, 55},     {"header size", 14, 12},
      {"width", 18, 0x41},          {"height", 22, 0xB4},
      {"planes", 26, 2},            {"24 bits", 28, 24},
      {"compressed", 30, 3},        {"one byte short", SIZE_MAX, -1},
      {"one byte long", SIZE_MAX, 1}, {"empty", SIZE_MAX, -int(kThumbnailFileSize)},
  };
  for (const Case& c : cases) {
    Bytes bad = good;
    if (c.offset == SIZE_MAX) {
      bad.resize(size_t(int(bad.size()) + c.value));
    } else {
      bad[c.offset] = uint8_t(c.value);
    }
    EXPECT_FALSE(decodeThumbnailBmp(bad, pixels)) << c.what;
  }
}

}  // namespace
}  // namespace px
