#include "draw_latency.h"

#include <random>
#include <thread>

#include "latency_probe.h"

namespace px::bench {

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

std::string prepareRig(SessionRig& rig, std::unique_ptr<ScreenDrawer>& drawer) {
  if (!rig.ready()) return rig.failure();
  drawer = std::make_unique<ScreenDrawer>(rig.display());
  if (!drawer->open()) return "cannot open the Xvfb display";
  if (!drawer->loadCorpusPictures()) return "fewer than two corpus pictures (PX_SHARED_DIR?)";
  if (!settle(rig, *drawer)) return "the screen never settled";
  return {};
}

LatencySamples measureInProcessLatency(SessionRig& rig, ScreenDrawer& drawer, int count) {
  std::mt19937 random(kPauseSeed);
  std::uniform_int_distribution<int> pauseMs(kPauseMinMs, kPauseMaxMs);
  LatencySamples out;
  for (int i = 0; i < count; ++i) {
    const uint32_t colour = probeColour(i);
    rig.ui().armProbe(kProbeCentreX, kProbeCentreY, colour, kProbeTolerance);
    const auto drawnAt = Clock::now();
    drawer.fillRect(kProbeX, kProbeY, kProbeSide, kProbeSide, colour);
    Clock::time_point seenAt;
    if (rig.ui().waitProbe(kProbeLimit, seenAt)) {
      out.ms.push_back(std::chrono::duration<double, std::milli>(seenAt - drawnAt).count());
    } else {
      ++out.misses;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(random)));
  }
  return out;
}

}  // namespace px::bench
