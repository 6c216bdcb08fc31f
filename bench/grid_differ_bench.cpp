// The grid differ on a 1920 x 1080 screen: unchanged (the common case of a GDI poll), one cell
// changed, every pixel changed, and the worst case: only the last pixel row of every cell changed,
// so that every byte is compared.
#include <benchmark/benchmark.h>

#include <vector>

#include "base/bytes.h"
#include "host/grid_differ.h"

namespace px {
namespace {

constexpr int32_t kWidth = 1920;
constexpr int32_t kHeight = 1080;

enum class Change { kNone, kOnePixel, kEveryPixel, kLastRowOfEveryCell };

void runDiff(benchmark::State& state, Change change) {
  Bytes previous(size_t(kWidth) * kHeight * 4);
  for (size_t i = 0; i < previous.size(); ++i) previous[i] = uint8_t(i * 131 >> 3);
  Bytes current = previous;
  auto flip = [&](int32_t x, int32_t y) { current[(size_t(y) * kWidth + x) * 4] ^= 0x01; };
  switch (change) {
    case Change::kNone:
      break;
    case Change::kOnePixel:
      flip(900, 500);
      break;
    case Change::kEveryPixel:
      for (uint8_t& b : current) b ^= 0x01;
      break;
    case Change::kLastRowOfEveryCell:
      for (int32_t y = 63; y < kHeight; y += 64) {
        for (int32_t x = 0; x < kWidth; ++x) flip(x, y);
      }
      // The last tile row is partial (1080 = 16 * 64 + 56): its last pixel row.
      for (int32_t x = 0; x < kWidth; ++x) flip(x, kHeight - 1);
      break;
  }
  std::vector<PixelRect> dirty;
  for (auto _ : state) {
    diffGrid({previous.data(), kWidth, kHeight}, {current.data(), kWidth, kHeight}, dirty);
    benchmark::DoNotOptimize(dirty.data());
  }
  state.counters["rects"] = double(dirty.size());
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(current.size()));
}

void BM_GridDiffUnchanged(benchmark::State& state) { runDiff(state, Change::kNone); }
void BM_GridDiffOneCell(benchmark::State& state) { runDiff(state, Change::kOnePixel); }
void BM_GridDiffAllChanged(benchmark::State& state) { runDiff(state, Change::kEveryPixel); }
void BM_GridDiffLastRowOfEveryCell(benchmark::State& state) {
  runDiff(state, Change::kLastRowOfEveryCell);
}

BENCHMARK(BM_GridDiffUnchanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridDiffOneCell)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridDiffAllChanged)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridDiffLastRowOfEveryCell)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace px
