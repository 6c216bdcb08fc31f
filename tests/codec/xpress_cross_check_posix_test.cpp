// Cross-checks against an independent XPRESS-Huffman implementation (wimlib) on real screen
// tiles: our streams decode with wimlib, wimlib's decode with ours.
#include <gtest/gtest.h>
#include <wimlib.h>

#include <cstring>
#include <memory>

#include "codec/xpress.h"
#include "codec/xpress_huffman.h"
#include "support/corpus.h"

namespace px {
namespace {

constexpr size_t kWimlibMaxChunk = 65536;

struct WimDecompressorFree {
  void operator()(wimlib_decompressor* d) const { wimlib_free_decompressor(d); }
};
struct WimCompressorFree {
  void operator()(wimlib_compressor* c) const { wimlib_free_compressor(c); }
};

// Every tile of every corpus key frame (edge tiles smaller).
std::vector<Bytes> someCorpusTiles() {
  std::vector<Bytes> out;
  const auto frames = test::corpusKeyFrames(test::corpusDir());
  for (const auto& frame : frames) {
    test::BgraImage image;
    if (!test::loadPngAsBgra(frame, image)) continue;
    for (Bytes& tile : test::splitIntoTiles(image)) out.push_back(std::move(tile));
  }
  return out;
}

TEST(XpressCrossCheckTest, OurTileStreamsDecodeWithWimlib) {
  const auto tiles = someCorpusTiles();
  ASSERT_FALSE(tiles.empty()) << "no corpus at " << test::corpusDir();
  wimlib_decompressor* raw = nullptr;
  ASSERT_EQ(wimlib_create_decompressor(WIMLIB_COMPRESSION_TYPE_XPRESS, kWimlibMaxChunk, &raw), 0);
  std::unique_ptr<wimlib_decompressor, WimDecompressorFree> wim(raw);
  xpress::HuffmanStreamEncoder encoder;
  Bytes stream, out;
  size_t checked = 0;
  for (const Bytes& tile : tiles) {
    stream.clear();
    if (!encoder.encode(tile, tile.size(), stream)) continue;  // not smaller: would be stored
    out.assign(tile.size(), 0);
    ASSERT_EQ(wimlib_decompress(stream.data(), stream.size(), out.data(), out.size(), wim.get()), 0)
        << "tile " << checked;
    ASSERT_TRUE(out == tile) << "tile " << checked;
    ++checked;
  }
  EXPECT_GT(checked, tiles.size() / 2);
}

TEST(XpressCrossCheckTest, WimlibTileStreamsDecodeWithOurs) {
  const auto tiles = someCorpusTiles();
  ASSERT_FALSE(tiles.empty());
  wimlib_compressor* raw = nullptr;
  ASSERT_EQ(wimlib_create_compressor(WIMLIB_COMPRESSION_TYPE_XPRESS, kWimlibMaxChunk, 0, &raw), 0);
  std::unique_ptr<wimlib_compressor, WimCompressorFree> wim(raw);
  Bytes stream(kWimlibMaxChunk), out;
  size_t checked = 0;
  for (const Bytes& tile : tiles) {
    const size_t n =
        wimlib_compress(tile.data(), tile.size(), stream.data(), stream.size(), wim.get());
    if (n == 0) continue;
    out.assign(tile.size(), 0);
    ASSERT_TRUE(xpress::decodeHuffmanStream(ByteView(stream.data(), n), out)) << "tile " << checked;
    ASSERT_TRUE(out == tile) << "tile " << checked;
    ++checked;
  }
  EXPECT_GT(checked, tiles.size() / 2);
}

TEST(XpressCorpusTest, EveryKeyFrameTileRoundTripsInBufferMode) {
  const auto tiles = someCorpusTiles();
  ASSERT_FALSE(tiles.empty());
  XpressCompressor compressor;
  XpressDecompressor decompressor;
  Bytes packed, out;
  for (size_t i = 0; i < tiles.size(); ++i) {
    ASSERT_TRUE(compressor.compress(tiles[i], packed));
    ASSERT_TRUE(decompressor.decompress(packed, tiles[i].size(), out)) << "tile " << i;
    ASSERT_TRUE(out == tiles[i]) << "tile " << i;
  }
}

}  // namespace
}  // namespace px
