// A whole session on this machine (private Xvfb 1920x1080, relay process, host process, viewer in
// this process decoding every frame; see session_rig.h):
//   - frames and bytes per second reaching the viewer while the whole screen keeps changing, from
//     parvolex-host and from Parvolex.exe under Wine (GDI capture; scripts/bench-wine-host.sh
//     makes its prefix);
//   - time from an X drawing call to the changed pixel in the viewer's decoded image, on an
//     otherwise still screen and while another part of the screen animates (so the host's loop is
//     busy and paced when the drawing comes);
//   - the host process's CPU while it serves a viewer and nothing changes.
// One iteration per repetition (each builds its own rig); run with --benchmark_repetitions.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "screen_drawer.h"
#include "session_rig.h"

namespace px::bench {
namespace {

constexpr const char* kScreen = "1920x1080x24";
constexpr auto kWarmUp = std::chrono::seconds(1);
constexpr auto kMeasure = std::chrono::seconds(10);
constexpr auto kDrawPeriod = std::chrono::microseconds(16667);  // a 60 Hz application
constexpr auto kQuietPeriod = std::chrono::milliseconds(400);
constexpr int kLatencySamples = 100;
constexpr auto kProbeLimit = std::chrono::milliseconds(2000);
constexpr int kProbeX = 1000, kProbeY = 504, kProbeSide = 16;  // on 8-pixel JPEG blocks
constexpr int kProbeTolerance = 24;
constexpr int kAnimationX = 128, kAnimationY = 128, kAnimationSide = 256;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Before a measurement: repaint with the first picture and wait until the viewer has been given
// no frame for a while.
bool settle(SessionRig& rig, ScreenDrawer& drawer) {
  drawer.showPicture(0);
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  uint64_t frames = rig.ui().frames();
  auto quietSince = Clock::now();
  while (Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const uint64_t now = rig.ui().frames();
    if (now != frames) {
      frames = now;
      quietSince = Clock::now();
    } else if (Clock::now() - quietSince >= kQuietPeriod) {
      return true;
    }
  }
  return false;
}

// Rig and drawer ready with the corpus loaded, or the reason it is not.
std::string prepare(SessionRig& rig, std::unique_ptr<ScreenDrawer>& drawer) {
  if (!rig.ready()) return rig.failure();
  drawer = std::make_unique<ScreenDrawer>(rig.display());
  if (!drawer->open()) return "cannot open the Xvfb display";
  if (!drawer->loadCorpusPictures()) return "fewer than two corpus pictures (PX_SHARED_DIR?)";
  if (!settle(rig, *drawer)) return "the screen never settled";
  return {};
}

// CPU of the host process, the X server and this process (viewer and drawer) over one span.
struct CpuSpan {
  explicit CpuSpan(SessionRig& rig)
      : rig_(rig),
        start_(Clock::now()),
        host_(processCpuSeconds(rig.hostPid())),
        helpers_(rig.hostHelpersCpuSeconds()),
        xserver_(processCpuSeconds(rig.xserverPid())),
        self_(processCpuSeconds(getpid())) {}
  void report(benchmark::State& state) const {
    const double wall = seconds(Clock::now() - start_);
    state.counters["host_cpu_pct"] = 100 * (processCpuSeconds(rig_.hostPid()) - host_) / wall;
    state.counters["host_helpers_cpu_pct"] = 100 * (rig_.hostHelpersCpuSeconds() - helpers_) / wall;
    state.counters["xserver_cpu_pct"] =
        100 * (processCpuSeconds(rig_.xserverPid()) - xserver_) / wall;
    state.counters["viewer_cpu_pct"] = 100 * (processCpuSeconds(getpid()) - self_) / wall;
  }

  SessionRig& rig_;
  Clock::time_point start_;
  double host_, helpers_, xserver_, self_;
};

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const size_t at = std::min(values.size() - 1, size_t(fraction * double(values.size() - 1) + 0.5));
  return values[at];
}

// The medians of the host's sampled frame lines ("[HOST] escala 100% pacote N bytes envio M ms",
// one every 20 frames) in the log text after `from`: how big a frame was and how long its send
// blocked, the rest of a frame's time being capture and encoding.
void reportFrameLines(const std::string& log, size_t from, benchmark::State& state) {
  std::istringstream lines(log.substr(std::min(from, log.size())));
  std::vector<double> packets, sends;
  for (std::string line; std::getline(lines, line);) {
    const size_t at = line.find("[HOST] escala");
    unsigned scale = 0, bytes = 0;
    double ms = 0;
    if (at != std::string::npos &&
        std::sscanf(line.c_str() + at, "[HOST] escala %u%% pacote %u bytes envio %lf ms", &scale,
                    &bytes, &ms) == 3) {
      packets.push_back(bytes / 1024.0);
      sends.push_back(ms);
    }
  }
  state.counters["frame_lines"] = double(packets.size());
  if (packets.empty()) return;
  state.counters["packet_kb_median"] = percentile(packets, 0.5);
  state.counters["send_ms_median"] = percentile(sends, 0.5);
}

void BM_SessionFullScreenChange(benchmark::State& state, HostKind kind) {
  SessionRig rig(kScreen, kind);
  std::unique_ptr<ScreenDrawer> drawer;
  if (const std::string failure = prepare(rig, drawer); !failure.empty()) {
    return state.SkipWithError(failure.c_str());
  }
  std::atomic<bool> drawing{true};
  std::atomic<uint64_t> drawn{0};
  std::thread painter([&] {
    auto next = Clock::now();
    for (size_t i = 1; drawing.load(); ++i) {
      drawer->showPicture(i);
      ++drawn;
      next += kDrawPeriod;
      std::this_thread::sleep_until(next);
    }
  });
  std::this_thread::sleep_for(kWarmUp);
  for (auto _ : state) {
    const uint64_t frames = rig.ui().frames(), bytes = rig.viewerBytesReceived();
    const uint64_t drawnBefore = drawn.load();
    const size_t logBefore = rig.hostLog().size();
    const CpuSpan cpu(rig);
    const auto start = Clock::now();
    std::this_thread::sleep_for(kMeasure);
    const double wall = seconds(Clock::now() - start);
    state.counters["fps"] = double(rig.ui().frames() - frames) / wall;
    state.counters["bytes_per_s"] = double(rig.viewerBytesReceived() - bytes) / wall;
    state.counters["drawn_fps"] = double(drawn.load() - drawnBefore) / wall;
    cpu.report(state);
    reportFrameLines(rig.hostLog(), logBefore, state);
  }
  drawing.store(false);
  painter.join();
}
BENCHMARK_CAPTURE(BM_SessionFullScreenChange, linux, HostKind::kLinux)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_SessionFullScreenChange, wine, HostKind::kWine)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Saturated colours in turn, each a little different from its last use, so that every fill
// changes the probed pixel far beyond JPEG's error.
uint32_t probeColour(int i) {
  static constexpr uint32_t kBase[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF};
  const uint32_t dim = uint32_t((i / 6) % 4) * 0x10;
  const uint32_t base = kBase[i % 6];
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = (base >> shift) & 0xFF;
    out |= (c ? c - dim : dim) << shift;
  }
  return out;
}

void BM_SessionDrawToPixelLatency(benchmark::State& state) {
  SessionRig rig(kScreen);
  std::unique_ptr<ScreenDrawer> drawer;
  if (const std::string failure = prepare(rig, drawer); !failure.empty()) {
    return state.SkipWithError(failure.c_str());
  }
  // A 60 Hz animation away from the probe keeps the host sending frames.
  std::atomic<bool> animating{state.range(0) != 0};
  std::thread animator([&] {
    if (!animating.load()) return;
    ScreenDrawer other(rig.display());
    auto next = Clock::now();
    for (uint32_t i = 0; animating.load() && other.open(); ++i) {
      other.fillRect(kAnimationX, kAnimationY, kAnimationSide, kAnimationSide, (i * 0x10307) & 0xFFFFFF);
      next += kDrawPeriod;
      std::this_thread::sleep_until(next);
    }
  });
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> pauseMs(40, 140);
  std::vector<double> latencies;
  int misses = 0;
  for (auto _ : state) {
    for (int i = 0; i < kLatencySamples; ++i) {
      const uint32_t colour = probeColour(i);
      rig.ui().armProbe(kProbeX + kProbeSide / 2, kProbeY + kProbeSide / 2, colour,
                        kProbeTolerance);
      const auto drawnAt = Clock::now();
      drawer->fillRect(kProbeX, kProbeY, kProbeSide, kProbeSide, colour);
      Clock::time_point seenAt;
      if (rig.ui().waitProbe(kProbeLimit, seenAt)) {
        latencies.push_back(std::chrono::duration<double, std::milli>(seenAt - drawnAt).count());
      } else {
        ++misses;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
    }
  }
  animating.store(false);
  animator.join();
  if (latencies.empty()) return state.SkipWithError("the viewer never showed a probe");
  state.counters["latency_median_ms"] = percentile(latencies, 0.5);
  state.counters["latency_p90_ms"] = percentile(latencies, 0.9);
  state.counters["latency_max_ms"] = percentile(latencies, 1.0);
  state.counters["misses"] = misses;
}
BENCHMARK(BM_SessionDrawToPixelLatency)
    ->ArgName("animating")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_HostStaticScreenCpu(benchmark::State& state) {
  SessionRig rig(kScreen);
  std::unique_ptr<ScreenDrawer> drawer;
  if (const std::string failure = prepare(rig, drawer); !failure.empty()) {
    return state.SkipWithError(failure.c_str());
  }
  std::this_thread::sleep_for(kWarmUp);
  for (auto _ : state) {
    const uint64_t frames = rig.ui().frames();
    const CpuSpan cpu(rig);
    std::this_thread::sleep_for(kMeasure);
    cpu.report(state);
    state.counters["frames"] = double(rig.ui().frames() - frames);
  }
}
BENCHMARK(BM_HostStaticScreenCpu)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace px::bench
