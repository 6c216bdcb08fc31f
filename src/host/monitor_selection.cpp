#include "host/monitor_selection.h"

#include "base/log.h"
#include "host/capture_policy.h"

namespace px {
namespace {

bool createOn(ScreenCapturer& capturer, const MonitorInfo& m) {
  return capturer.create(m.adapterIndex, m.outputIndex);
}

bool openFirstMonitor(ScreenCapturer& capturer, const std::vector<MonitorInfo>& monitors) {
  if (!monitors.empty()) {
    const MonitorInfo* preferred = &monitors.front();
    for (const MonitorInfo& m : monitors) {
      if (m.adapterIndex == 0 && m.outputIndex == 0) {
        preferred = &m;
        break;
      }
    }
    if (createOn(capturer, *preferred)) return true;
  }
  return capturer.create(0, 0);
}

MonitorInfo currentAsMonitor(const CaptureFrame& f) {
  return MonitorInfo{f.adapterIndex, f.outputIndex, f.width, f.height, f.desktop};
}

}  // namespace

bool startCapture(ScreenCapturer& capturer, MonitorSet& set) {
  set.monitors = capturer.enumerateMonitors();
  sortMonitors(set.monitors);
  set.current = 0;
  if (!openFirstMonitor(capturer, set.monitors)) return false;
  // Listed again once open: a fallback capturer may have opened another backend, and later
  // creates must use that one's numbering.
  set.monitors = capturer.enumerateMonitors();
  sortMonitors(set.monitors);

  if (set.monitors.empty()) {
    set.monitors.push_back(currentAsMonitor(capturer.frame()));
  } else {
    set.current = findMonitor(set.monitors, capturer.frame().desktop, set.current);
  }
  if (capMonitorList(set.monitors, set.current) && !createOn(capturer, set.monitors[0])) {
    return false;
  }
  const CaptureFrame& f = capturer.frame();
  logPrintf("[HOST] DXGI init OK %dx%d monitores=%d atual=%d\n", f.width, f.height,
            int(set.monitors.size()), set.current + 1);
  return true;
}

SwitchOutcome switchMonitor(ScreenCapturer& capturer, MonitorSet& set, int request) {
  if (!shouldSwitchMonitor(request, int(set.monitors.size()), set.current)) {
    return SwitchOutcome::kNone;
  }
  capturer.release();
  if (createOn(capturer, set.monitors[size_t(request)])) {
    set.current = request;
    logPrintf("[HOST] monitor %d %dx%d\n", request + 1, capturer.frame().width,
              capturer.frame().height);
    return SwitchOutcome::kSwitched;
  }
  capturer.release();
  if (!createOn(capturer, set.monitors[size_t(set.current)])) {
    logPrintf("[HOST] troca de monitor falhou\n");
    return SwitchOutcome::kLost;
  }
  logPrintf("[HOST] troca de monitor falhou, mantendo %d\n", set.current + 1);
  return SwitchOutcome::kKeptCurrent;
}

}  // namespace px
