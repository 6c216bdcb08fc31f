// What the session benchmarks share: a rig made ready for measuring (screen drawn and settled),
// and the draw-to-pixel latency of the rig's in-process viewer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "screen_drawer.h"
#include "session_rig.h"

namespace px::bench {

// Rig and drawer ready with the corpus loaded and the first picture shown and settled (the viewer
// given no frame for kQuietPeriod), or the reason they are not.
std::string prepareRig(SessionRig& rig, std::unique_ptr<ScreenDrawer>& drawer);

// Repaints the first picture and waits up to 15 s until the viewer has been given no frame for
// kQuietPeriod.
bool settle(SessionRig& rig, ScreenDrawer& drawer);

struct LatencySamples {
  std::vector<double> ms;  // one per probe seen
  int misses = 0;          // probes not seen within kProbeLimit
};

// `count` times: fill the probe square with the next probe colour and time the call until the
// in-process viewer decodes a frame showing it; random pauses between samples.
LatencySamples measureInProcessLatency(SessionRig& rig, ScreenDrawer& drawer, int count);

}  // namespace px::bench
