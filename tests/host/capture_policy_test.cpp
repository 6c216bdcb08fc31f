#include "host/capture_policy.h"

#include <gtest/gtest.h>

namespace px {
namespace {

struct ClipCase {
  const char* name;
  PixelRect in;
  bool kept;
  PixelRect out;
};

TEST(CapturePolicy, ClipsDirtyRectsToTheMonitor) {
  const ClipCase cases[] = {
      {"inside", {10, 20, 30, 40}, true, {10, 20, 30, 40}},
      {"negative corner", {-5, -7, 8, 9}, true, {0, 0, 8, 9}},
      {"beyond right and bottom", {1900, 1000, 2000, 1200}, true, {1900, 1000, 1920, 1080}},
      {"covers everything", {-100, -100, 5000, 5000}, true, {0, 0, 1920, 1080}},
      {"wholly left", {-50, 0, -1, 10}, false, {}},
      {"wholly below", {0, 1080, 10, 1100}, false, {}},
      {"touches right edge only", {1920, 0, 1930, 10}, false, {}},
      {"empty", {5, 5, 5, 50}, false, {}},
      {"inverted", {50, 50, 10, 10}, false, {}},
  };
  for (const ClipCase& c : cases) {
    ClippedDirty clipped = clipDirtyRects({&c.in, 1}, 1920, 1080);
    ASSERT_EQ(clipped.rects.size(), c.kept ? 1u : 0u) << c.name;
    if (!c.kept) {
      EXPECT_EQ(clipped.area, 0u) << c.name;
      continue;
    }
    EXPECT_EQ(clipped.rects[0], c.out) << c.name;
    EXPECT_EQ(clipped.area, uint64_t(c.out.width()) * c.out.height()) << c.name;
  }
}

TEST(CapturePolicy, AreaAddsOverlapsInSixtyFourBits) {
  const std::vector<PixelRect> huge(3, PixelRect{0, 0, 65536, 65536});
  ClippedDirty clipped = clipDirtyRects(huge, 65536, 65536);
  EXPECT_EQ(clipped.area, 3ull << 32);
}

TEST(CapturePolicy, FullCopyAboveSixtyPercentOrWithoutValidImage) {
  struct Case {
    bool valid;
    uint64_t area;
    CopyMode mode;
  } cases[] = {
      {false, 0, CopyMode::kFull},
      {true, 0, CopyMode::kPartial},
      {true, 60, CopyMode::kPartial},  // exactly 60 % of 10 x 10 stays partial
      {true, 61, CopyMode::kFull},
      {true, 300, CopyMode::kFull},  // overlaps may sum past the screen
  };
  for (const Case& c : cases) {
    EXPECT_EQ(chooseCopyMode(c.valid, c.area, 10, 10), c.mode) << c.valid << " " << c.area;
  }
}

TEST(CapturePolicy, CopyRectsTouchesOnlyThoseRects) {
  const int w = 8, h = 4;
  Bytes source(size_t(w + 2) * 4 * h, 0xAB);  // stride wider than the image
  Bytes image(size_t(w) * h * 4, 0);
  const PixelRect rects[] = {{1, 1, 3, 2}, {7, 3, 8, 4}};
  copyRects(source.data(), size_t(w + 2) * 4, rects, w, image.data());
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool inside = (y == 1 && x >= 1 && x < 3) || (y == 3 && x == 7);
      EXPECT_EQ(image[(size_t(y) * w + x) * 4], inside ? 0xAB : 0) << x << "," << y;
    }
  }
}

MonitorInfo monitorAt(uint32_t output, int32_t left, int32_t top) {
  return MonitorInfo{0, output, 100, 100, {left, top, left + 100, top + 100}};
}

TEST(CapturePolicy, SortsByLeftThenTop) {
  std::vector<MonitorInfo> m = {monitorAt(0, 0, 0), monitorAt(1, -1920, 0),
                                monitorAt(2, 0, -1080), monitorAt(3, 1920, 0)};
  sortMonitors(m);
  EXPECT_EQ(m[0].outputIndex, 1u);
  EXPECT_EQ(m[1].outputIndex, 2u);
  EXPECT_EQ(m[2].outputIndex, 0u);
  EXPECT_EQ(m[3].outputIndex, 3u);
}

TEST(CapturePolicy, CapSwapsACurrentEntryThatWouldBeCut) {
  struct Case {
    int count;
    int current;
    bool swapped;
    int currentAfter;
    uint32_t firstOutputAfter;
  } cases[] = {
      {8, 7, false, 7, 0}, {10, 7, false, 7, 0}, {10, 8, true, 0, 8}, {10, 9, true, 0, 9},
  };
  for (const Case& c : cases) {
    std::vector<MonitorInfo> m;
    for (int i = 0; i < c.count; ++i) m.push_back(monitorAt(uint32_t(i), i * 100, 0));
    int current = c.current;
    EXPECT_EQ(capMonitorList(m, current), c.swapped) << c.count << "/" << c.current;
    EXPECT_EQ(m.size(), size_t(std::min(c.count, kMaxMonitors)));
    EXPECT_EQ(current, c.currentAfter);
    EXPECT_EQ(m[0].outputIndex, c.firstOutputAfter);
  }
}

TEST(CapturePolicy, SwitchOnlyToAnotherExistingEntry) {
  struct Case {
    int request, count, current;
    bool act;
  } cases[] = {{-1, 3, 0, false}, {-7, 3, 0, false}, {0, 3, 0, false}, {3, 3, 0, false},
               {200, 3, 0, false}, {1, 3, 0, true},  {0, 3, 2, true},   {2, 3, 1, true}};
  for (const Case& c : cases) {
    EXPECT_EQ(shouldSwitchMonitor(c.request, c.count, c.current), c.act)
        << c.request << " of " << c.count << " at " << c.current;
  }
}

}  // namespace
}  // namespace px
