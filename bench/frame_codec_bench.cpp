// Frame encoder and decoder on real screen captures (the corpus): key frames of every scene, the
// steps of the scroll and typing sequences with the dirty rectangles a capture would report, an
// unchanged screen under a whole-screen dirty rectangle, and the decode of each key frame.
// Encoder and decoder cases run with 1 and 2 tile threads (the payload is identical).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/frame_encoder.h"
#include "support/corpus.h"
#include "viewer/frame_decoder.h"

namespace px {
namespace {

using test::BgraImage;

struct Scene {
  std::string name;
  BgraImage image;
};

// Loaded once, on first use.
const std::vector<Scene>& keyScenes() {
  static const std::vector<Scene> scenes = [] {
    std::vector<Scene> out;
    const auto dir = test::corpusDir();
    for (const auto& file : test::corpusKeyFrames(dir)) {
      Scene s{file.stem().string(), {}};
      if (test::loadPngAsBgra(file, s.image)) out.push_back(std::move(s));
    }
    for (const char* seq : {"scroll", "typing"}) {
      const auto frames = test::corpusSequence(dir, seq);
      if (frames.empty()) continue;
      Scene s{std::string(seq) + "-000", {}};
      if (test::loadPngAsBgra(frames.front(), s.image)) out.push_back(std::move(s));
    }
    return out;
  }();
  return scenes;
}

const std::vector<BgraImage>& sequence(const std::string& name) {
  static std::map<std::string, std::vector<BgraImage>> cache;
  auto& frames = cache[name];
  if (frames.empty()) {
    for (const auto& file : test::corpusSequence(test::corpusDir(), name)) {
      BgraImage image;
      if (test::loadPngAsBgra(file, image)) frames.push_back(std::move(image));
    }
  }
  return frames;
}

EncodeInput inputFor(const BgraImage& image, std::span<const DirtyRect> dirty = {}) {
  EncodeInput in;
  in.pixels = image.pixels.data();
  in.width = image.width;
  in.height = image.height;
  in.dirty = dirty;
  return in;
}

// What a capture reports between two frames: the changed 64 x 64 cells, each tile row's runs of
// adjacent cells merged into one rectangle; more than 48 become the whole screen, as in the send
// loop.
std::vector<DirtyRect> dirtyCells(const BgraImage& before, const BgraImage& after) {
  std::vector<DirtyRect> rects;
  const int cols = (after.width + 63) / 64, rows = (after.height + 63) / 64;
  for (int ty = 0; ty < rows; ++ty) {
    int runStart = -1;
    for (int tx = 0; tx <= cols; ++tx) {
      bool changed = false;
      if (tx < cols) {
        const int x0 = tx * 64, w = std::min(64, after.width - x0);
        for (int y = ty * 64; y < std::min(ty * 64 + 64, after.height) && !changed; ++y) {
          const size_t at = (size_t(y) * after.width + x0) * 4;
          changed = std::memcmp(&before.pixels[at], &after.pixels[at], size_t(w) * 4) != 0;
        }
      }
      if (changed && runStart < 0) runStart = tx;
      if (!changed && runStart >= 0) {
        rects.push_back({runStart * 64, ty * 64, std::min(tx * 64, after.width),
                         std::min(ty * 64 + 64, after.height)});
        runStart = -1;
      }
    }
  }
  if (rects.size() > 48) rects = {{0, 0, after.width, after.height}};
  return rects;
}

void BM_EncodeKeyFrame(benchmark::State& state, size_t scene) {
  const BgraImage& image = keyScenes()[scene].image;
  FrameEncoder encoder(int(state.range(0)));
  Bytes payload;
  size_t payloadBytes = 0;
  for (auto _ : state) {
    ReferenceFrame reference;
    if (!encoder.encode(inputFor(image), reference, payload)) state.SkipWithError("encode failed");
    payloadBytes += payload.size();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.pixels.size()));
  state.counters["payload_bytes"] = double(payloadBytes) / double(state.iterations());
}

// Encodes each step of a sequence against the previous one, in order, re-keying (untimed) when
// the sequence wraps around.
void encodeSequence(benchmark::State& state, const std::string& name) {
  const auto& frames = sequence(name);
  if (frames.size() < 2) return state.SkipWithError("sequence missing");
  std::vector<std::vector<DirtyRect>> dirty(frames.size());
  for (size_t i = 1; i < frames.size(); ++i) dirty[i] = dirtyCells(frames[i - 1], frames[i]);
  FrameEncoder encoder(int(state.range(0)));
  ReferenceFrame reference;
  Bytes payload;
  size_t step = 0, payloadBytes = 0, pixelBytes = 0;
  for (auto _ : state) {
    if (step == 0) {
      state.PauseTiming();
      reference.clear();
      encoder.encode(inputFor(frames[0]), reference, payload);
      step = 1;
      state.ResumeTiming();
    }
    if (!encoder.encode(inputFor(frames[step], dirty[step]), reference, payload)) {
      state.SkipWithError("encode failed");
    }
    payloadBytes += payload.size();
    pixelBytes += frames[step].pixels.size();
    step = (step + 1) % frames.size();
  }
  state.SetBytesProcessed(int64_t(pixelBytes));
  state.counters["payload_bytes"] = double(payloadBytes) / double(state.iterations());
}

void BM_EncodeScrollStep(benchmark::State& state) { encodeSequence(state, "scroll"); }
void BM_EncodeTypingStep(benchmark::State& state) { encodeSequence(state, "typing"); }

void BM_EncodeUnchanged(benchmark::State& state) {
  const auto& scenes = keyScenes();
  if (scenes.empty()) return state.SkipWithError("corpus missing");
  const BgraImage& image = scenes.front().image;
  const DirtyRect whole{0, 0, image.width, image.height};
  FrameEncoder encoder(int(state.range(0)));
  ReferenceFrame reference;
  Bytes payload;
  encoder.encode(inputFor(image), reference, payload);
  size_t payloadBytes = 0;
  for (auto _ : state) {
    if (!encoder.encode(inputFor(image, {&whole, 1}), reference, payload)) {
      state.SkipWithError("encode failed");
    }
    payloadBytes += payload.size();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.pixels.size()));
  state.counters["payload_bytes"] = double(payloadBytes) / double(state.iterations());
}

void BM_DecodeKeyFrame(benchmark::State& state, size_t scene) {
  const BgraImage& image = keyScenes()[scene].image;
  FrameEncoder encoder(2);
  ReferenceFrame reference;
  Bytes payload;
  if (!encoder.encode(inputFor(image), reference, payload)) return state.SkipWithError("encode");
  FrameDecoder decoder(int(state.range(0)));
  Bytes screen(image.pixels.size(), 0);
  for (auto _ : state) {
    if (!decoder.decodeTiledFrame(payload, screen.data(), image.width, image.height)) {
      state.SkipWithError("decode failed");
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(image.pixels.size()));
  state.counters["payload_bytes"] = double(payload.size());
}

// One case per corpus scene, registered before main runs the benchmarks.
const bool registered = [] {
  const size_t count = keyScenes().size();
  for (size_t i = 0; i < count; ++i) {
    const std::string name = keyScenes()[i].name;
    benchmark::RegisterBenchmark(("BM_EncodeKeyFrame/" + name).c_str(),
                                 [i](benchmark::State& s) { BM_EncodeKeyFrame(s, i); })
        ->ArgName("threads")
        ->Arg(1)
        ->Arg(2)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("BM_EncodeScrollStep", BM_EncodeScrollStep)
      ->ArgName("threads")
      ->Arg(1)
      ->Arg(2)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_EncodeTypingStep", BM_EncodeTypingStep)
      ->ArgName("threads")
      ->Arg(1)
      ->Arg(2)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_EncodeUnchanged", BM_EncodeUnchanged)
      ->ArgName("threads")
      ->Arg(1)
      ->Arg(2)
      ->Unit(benchmark::kMillisecond);
  for (size_t i = 0; i < count; ++i) {
    // Wall time: with 2 threads the decoder shares a frame's tiles with a helper thread.
    benchmark::RegisterBenchmark(("BM_DecodeKeyFrame/" + keyScenes()[i].name).c_str(),
                                 [i](benchmark::State& s) { BM_DecodeKeyFrame(s, i); })
        ->ArgName("threads")
        ->Arg(1)
        ->Arg(2)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
  }
  return true;
}();

}  // namespace
}  // namespace px
