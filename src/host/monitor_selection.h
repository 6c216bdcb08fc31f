// Capture start and monitor switching on top of a ScreenCapturer: which monitor is opened first,
// the list the viewer sees, and falling back to the current monitor when a switch fails. Called
// on the capture thread only.
#pragma once

#include <vector>

#include "host/screen_capturer.h"

namespace px {

struct MonitorSet {
  std::vector<MonitorInfo> monitors;  // sorted, at most kMaxMonitors, never empty once started
  int current = 0;                    // index of the captured entry
};

// Enumerates, opens the preferred monitor (adapter 0 / output 0, else the first; then adapter 0 /
// output 0 as a last try) and builds the list. False when no monitor could be opened; the caller
// then reports captureFailedStatus() and ends the session.
bool startCapture(ScreenCapturer& capturer, MonitorSet& set);

enum class SwitchOutcome {
  kNone,         // nothing to do (request absent, out of range or already current)
  kSwitched,     // now on the requested entry: send MonitorSelected, drop pending dirty state
  kKeptCurrent,  // the request failed, the current monitor was opened again: drop pending state
  kLost,         // neither could be opened: the session ends
};
// Acts on one taken switch request (-1 for none). The capturer's frame then tells the new size and
// desktop rectangle.
SwitchOutcome switchMonitor(ScreenCapturer& capturer, MonitorSet& set, int request);

}  // namespace px
