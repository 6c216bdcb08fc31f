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
#include <sstream>
#include <thread>
#include <vector>

#include "draw_latency.h"
#include "timing_stats.h"

namespace px::bench {
namespace {

constexpr const char* kScreen = "1920x1080x24";
constexpr auto kWarmUp = std::chrono::seconds(1);
constexpr auto kMeasure = std::chrono::seconds(10);
constexpr auto kDrawPeriod = std::chrono::microseconds(16667);  // a 60 Hz application
constexpr int kLatencySamples = 100;
constexpr int kAnimationX = 128, kAnimationY = 128, kAnimationSide = 256;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

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
  state.counters["packet_kb_median"] = percentile(packets, 50);
  state.counters["send_ms_median"] = percentile(sends, 50);
}

void BM_SessionFullScreenChange(benchmark::State& state, HostKind kind) {
  SessionRig rig(kScreen, kind);
  std::unique_ptr<ScreenDrawer> drawer;
  if (const std::string failure = prepareRig(rig, drawer); !failure.empty()) {
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

void BM_SessionDrawToPixelLatency(benchmark::State& state) {
  SessionRig rig(kScreen);
  std::unique_ptr<ScreenDrawer> drawer;
  if (const std::string failure = prepareRig(rig, drawer); !failure.empty()) {
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
  LatencySamples samples;
  for (auto _ : state) samples = measureInProcessLatency(rig, *drawer, kLatencySamples);
  animating.store(false);
  animator.join();
  if (samples.ms.empty()) return state.SkipWithError("the viewer never showed a probe");
  state.counters["latency_median_ms"] = percentile(samples.ms, 50);
  state.counters["latency_p90_ms"] = percentile(samples.ms, 90);
  state.counters["latency_max_ms"] = percentile(samples.ms, 100);
  state.counters["misses"] = samples.misses;
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
  if (const std::string failure = prepareRig(rig, drawer); !failure.empty()) {
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
