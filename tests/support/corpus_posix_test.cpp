#include <gtest/gtest.h>

#include "support/corpus.h"

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

}  // namespace
}  // namespace px::test
