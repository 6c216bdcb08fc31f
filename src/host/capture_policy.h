// The platform-independent decisions of screen capture: which dirty rectangles are copied and how,
// and how the monitor list is ordered and capped. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "host/screen_capturer.h"
#include "protocol/monitor_limit.h"

namespace px {

// Sorts by left edge, then top edge, ascending; equal positions keep their order.
void sortMonitors(std::vector<MonitorInfo>& monitors);

// Dirty rectangles clipped to a width x height monitor, empty ones dropped, and the summed area of
// what is left (64-bit: overlapping rectangles may add up to more than the screen).
struct ClippedDirty {
  std::vector<PixelRect> rects;
  uint64_t area = 0;
};
ClippedDirty clipDirtyRects(std::span<const PixelRect> dirty, int32_t width, int32_t height);

enum class CopyMode { kFull, kPartial };
// Full when the image holds nothing valid yet or more than 60 % of the screen changed; one whole
// copy is then cheaper than many small ones.
CopyMode chooseCopyMode(bool imageValid, uint64_t dirtyArea, int32_t width, int32_t height);

// Copies the clipped rectangles' rows of a B G R A source (same size as the image, any stride)
// into the image (stride width * 4). Rectangles must lie inside the monitor.
void copyRects(const uint8_t* source, size_t sourceStride, std::span<const PixelRect> rects,
               int32_t width, uint8_t* image);

// The index of the monitor whose desktop rectangle equals `desktop`, else `fallback`.
int findMonitor(std::span<const MonitorInfo> monitors, const PixelRect& desktop, int fallback);

// Cuts the list to kMaxMonitors entries. When the current entry would be cut, it is first
// swapped with entry 0 and `current` becomes 0; returns true in that case (capture must then be
// created on entry 0 again).
bool capMonitorList(std::vector<MonitorInfo>& monitors, int& current);

// A viewer's monitor request is acted on only when it names another existing entry.
bool shouldSwitchMonitor(int request, int count, int current);

}  // namespace px
