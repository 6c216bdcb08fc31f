#include "host/capture_policy.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace px {

void sortMonitors(std::vector<MonitorInfo>& monitors) {
  std::stable_sort(monitors.begin(), monitors.end(), [](const MonitorInfo& a, const MonitorInfo& b) {
    if (a.desktop.left != b.desktop.left) return a.desktop.left < b.desktop.left;
    return a.desktop.top < b.desktop.top;
  });
}

ClippedDirty clipDirtyRects(std::span<const PixelRect> dirty, int32_t width, int32_t height) {
  ClippedDirty out;
  for (const PixelRect& r : dirty) {
    PixelRect c{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, width),
                std::min(r.bottom, height)};
    if (c.empty()) continue;
    out.area += uint64_t(c.width()) * uint64_t(c.height());
    out.rects.push_back(c);
  }
  return out;
}

CopyMode chooseCopyMode(bool imageValid, uint64_t dirtyArea, int32_t width, int32_t height) {
  if (!imageValid) return CopyMode::kFull;
  uint64_t screen = uint64_t(std::max(width, 0)) * uint64_t(std::max(height, 0));
  return 10 * dirtyArea > 6 * screen ? CopyMode::kFull : CopyMode::kPartial;
}

void copyRects(const uint8_t* source, size_t sourceStride, std::span<const PixelRect> rects,
               int32_t width, uint8_t* image) {
  const size_t imageStride = size_t(width) * 4;
  for (const PixelRect& r : rects) {
    const size_t rowBytes = size_t(r.width()) * 4;
    for (int32_t y = r.top; y < r.bottom; ++y) {
      std::memcpy(image + size_t(y) * imageStride + size_t(r.left) * 4,
                  source + size_t(y) * sourceStride + size_t(r.left) * 4, rowBytes);
    }
  }
}

int findMonitor(std::span<const MonitorInfo> monitors, const PixelRect& desktop, int fallback) {
  for (size_t i = 0; i < monitors.size(); ++i) {
    if (monitors[i].desktop == desktop) return int(i);
  }
  return fallback;
}

bool capMonitorList(std::vector<MonitorInfo>& monitors, int& current) {
  if (monitors.size() <= size_t(kMaxMonitors)) return false;
  bool swapped = false;
  if (current >= kMaxMonitors) {
    std::swap(monitors[size_t(current)], monitors[0]);
    current = 0;
    swapped = true;
  }
  monitors.resize(kMaxMonitors);
  return swapped;
}

bool shouldSwitchMonitor(int request, int count, int current) {
  return request >= 0 && request < count && request != current;
}

}  // namespace px
