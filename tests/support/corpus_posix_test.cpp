#include <gtest/gtest.h>

#include "support/corpus.h"
#include "support/test_paths.h"

namespace px::test {
namespace {

TEST(CorpusTest, KeyFramesLoadAsOpaqueBgraAndSplitIntoTiles) {
  const auto frames = corpusKeyFrames(corpusDir());
  ASSERT_FALSE(frames.empty()) << "no corpus at " << corpusDir();
  BgraImage image;
  ASSERT_TRUE(loadPngAsBgra(frames.front(), image));
  EXPECT_EQ(image.pixels.size(), size_t(image.width) * image.height * 4);
  EXPECT_EQ(image.pixels[3], 255);
  // 1920 x 1080 gives 30 columns and 17 rows, the last row 56 pixels high.
  const auto tiles = splitIntoTiles(image);
  EXPECT_EQ(tiles.size(), size_t((image.width + 63) / 64) * ((image.height + 63) / 64));
  EXPECT_EQ(tiles.back().size(), size_t(image.width % 64 ? image.width % 64 : 64) *
                                     (image.height % 64 ? image.height % 64 : 64) * 4);
}

TEST(CorpusTest, SavedPngReadsBackTheSamePixels) {
  BgraImage image{3, 2, Bytes(3 * 2 * 4)};
  for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = i % 4 == 3 ? 255 : uint8_t(i * 37);
  TempDir dir;
  ASSERT_TRUE(saveBgraAsPng(dir.path() / "shot.png", image));
  BgraImage back;
  ASSERT_TRUE(loadPngAsBgra(dir.path() / "shot.png", back));
  EXPECT_EQ(back.width, 3);
  EXPECT_EQ(back.height, 2);
  EXPECT_EQ(back.pixels, image.pixels);
}

}  // namespace
}  // namespace px::test
