// Time from an X drawing call on the host's screen to the changed pixel, for two viewers of one
// parvolex-host in one run (scripts/bench-wine-viewer-latency.sh starts it with a Wine prefix):
//   - headless: the in-process headless viewer, to the pixel in its decoded image;
//   - wine: the Windows viewer under Wine (bench/viewer_latency_win.cpp), on an X display of its
//     own, to the pixel in its render target after upload and draw; timed by its own clock from
//     its request to draw, so the counters also give what the request pipe adds (half a ping
//     round trip) and what the frame that showed the pixel cost it (upload, draw, read-back;
//     and the upload alone).
// The two run one after the other on a still screen with the same probes and pauses; the rig's
// viewer leaves before the Wine viewer comes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "draw_latency.h"
#include "host/xvfb_server.h"
#include "timing_stats.h"
#include "wine_viewer.h"

namespace px::bench {
namespace {

constexpr const char* kScreen = "1920x1080x24";
constexpr int kSamples = 200;

void reportSamples(benchmark::State& state, const std::string& name,
                   const std::vector<double>& ms) {
  state.counters[name + "_samples"] = double(ms.size());
  if (ms.empty()) return;
  state.counters[name + "_median_ms"] = percentile(ms, 50);
  state.counters[name + "_p90_ms"] = percentile(ms, 90);
}

void BM_ViewerLatencyHeadlessAndWine(benchmark::State& state) {
  if (const std::string missing = wineViewerMissing(); !missing.empty()) {
    return state.SkipWithError(missing.c_str());
  }
  SessionRig rig(kScreen);
  std::unique_ptr<ScreenDrawer> drawer;
  if (const std::string failure = prepareRig(rig, drawer); !failure.empty()) {
    return state.SkipWithError(failure.c_str());
  }
  test::XvfbServer viewerScreen(kScreen);
  if (!viewerScreen.running()) return state.SkipWithError(viewerScreen.failure().c_str());
  for (auto _ : state) {
    const LatencySamples headless = measureInProcessLatency(rig, *drawer, kSamples);
    rig.endViewer();
    drawer->showPicture(0);
    const WineViewerResult wine = runWineViewer(rig, *drawer, viewerScreen.display(), kSamples);
    if (!wine.failure.empty()) {
      state.SkipWithError(wine.failure.c_str());
      break;
    }
    reportSamples(state, "headless", headless.ms);
    state.counters["headless_misses"] = headless.misses;
    reportSamples(state, "wine", wine.drawToPixel.ms);
    state.counters["wine_misses"] = wine.drawToPixel.misses;
    reportSamples(state, "wine_frame", wine.frameMs);
    reportSamples(state, "wine_upload", wine.uploadMs);
    reportSamples(state, "pipe_one_way", wine.pipeOneWay);
  }
}
BENCHMARK(BM_ViewerLatencyHeadlessAndWine)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace px::bench
