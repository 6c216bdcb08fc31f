// Lossless tile coders on the 64 x 64 BGRA tiles of the corpus key frames (solid tiles skipped,
// as the frame encoder sends those as one colour): our XPRESS-Huffman in buffer mode against
// zlib level 1 and LZ4. bytes_per_second counts raw tile bytes; `ratio` is output / input.
#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <cstring>

#include "codec/xpress.h"
#include "codec/xpress_buffer_mode.h"
#include "support/corpus.h"

namespace px {
namespace {

bool isSolid(const Bytes& tile) {
  for (size_t i = 4; i < tile.size(); i += 4) {
    if (std::memcmp(&tile[i], &tile[0], 4) != 0) return false;
  }
  return true;
}

const std::vector<Bytes>& corpusTiles() {
  static const std::vector<Bytes> tiles = [] {
    std::vector<Bytes> out;
    const auto dir = test::corpusDir();
    auto frames = test::corpusKeyFrames(dir);
    for (const char* sequence : {"scroll", "typing"}) {
      const auto seq = test::corpusSequence(dir, sequence);
      if (!seq.empty()) frames.push_back(seq.front());
    }
    for (const auto& frame : frames) {
      test::BgraImage image;
      if (!test::loadPngAsBgra(frame, image)) continue;
      for (Bytes& tile : test::splitIntoTiles(image)) {
        if (!isSolid(tile)) out.push_back(std::move(tile));
      }
    }
    return out;
  }();
  return tiles;
}

size_t totalBytes(const std::vector<Bytes>& tiles) {
  size_t total = 0;
  for (const Bytes& t : tiles) total += t.size();
  return total;
}

// Runs `code` on every tile per iteration; `code` returns the output size or 0 on failure.
template <typename Code>
void runOverTiles(benchmark::State& state, Code code) {
  const auto& tiles = corpusTiles();
  if (tiles.empty()) {
    state.SkipWithError("no corpus tiles");
    return;
  }
  size_t packed = 0;
  for (auto _ : state) {
    packed = 0;
    for (const Bytes& tile : tiles) {
      const size_t n = code(tile);
      if (n == 0) {
        state.SkipWithError("coder failed");
        return;
      }
      packed += n;
    }
  }
  const size_t raw = totalBytes(tiles);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(raw));
  state.counters["ratio"] = double(packed) / double(raw);
  state.counters["tiles"] = double(tiles.size());
}

void BM_XpressCompressTiles(benchmark::State& state) {
  XpressCompressor compressor;
  Bytes out;
  runOverTiles(state,
               [&](const Bytes& tile) { return compressor.compress(tile, out) ? out.size() : 0; });
}

void BM_XpressDecompressTiles(benchmark::State& state) {
  XpressCompressor compressor;
  std::vector<Bytes> packed;
  for (const Bytes& tile : corpusTiles()) {
    packed.emplace_back();
    compressor.compress(tile, packed.back());
  }
  XpressDecompressor decompressor;
  Bytes out;
  size_t index = 0;
  runOverTiles(state, [&](const Bytes& tile) {
    const Bytes& in = packed[index++ % packed.size()];
    return decompressor.decompress(in, tile.size(), out) && out.size() == tile.size() ? in.size()
                                                                                      : 0;
  });
}

void BM_Zlib1CompressTiles(benchmark::State& state) {
  Bytes out;
  runOverTiles(state, [&](const Bytes& tile) -> size_t {
    uLongf size = compressBound(uLong(tile.size()));
    out.resize(size);
    return compress2(out.data(), &size, tile.data(), uLong(tile.size()), 1) == Z_OK ? size : 0;
  });
}

void BM_Zlib1DecompressTiles(benchmark::State& state) {
  std::vector<Bytes> packed;
  for (const Bytes& tile : corpusTiles()) {
    uLongf size = compressBound(uLong(tile.size()));
    packed.emplace_back(size);
    compress2(packed.back().data(), &size, tile.data(), uLong(tile.size()), 1);
    packed.back().resize(size);
  }
  Bytes out;
  size_t index = 0;
  runOverTiles(state, [&](const Bytes& tile) -> size_t {
    const Bytes& in = packed[index++ % packed.size()];
    out.resize(tile.size());
    uLongf size = uLongf(out.size());
    return uncompress(out.data(), &size, in.data(), uLong(in.size())) == Z_OK ? in.size() : 0;
  });
}

void BM_Lz4CompressTiles(benchmark::State& state) {
  Bytes out;
  runOverTiles(state, [&](const Bytes& tile) -> size_t {
    out.resize(size_t(LZ4_compressBound(int(tile.size()))));
    return size_t(LZ4_compress_default(reinterpret_cast<const char*>(tile.data()),
                                       reinterpret_cast<char*>(out.data()), int(tile.size()),
                                       int(out.size())));
  });
}

BENCHMARK(BM_XpressCompressTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XpressDecompressTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib1CompressTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Zlib1DecompressTiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lz4CompressTiles)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace px
