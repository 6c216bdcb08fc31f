#include "host/monitor_selection.h"

#include <gtest/gtest.h>

#include "host/capture_policy.h"
#include "host/fake_screen_capturer.h"

namespace px {
namespace {

// Monitors side by side, listed by the platform in reverse position order.
std::vector<MonitorInfo> row(int count, int32_t width = 64, int32_t height = 48) {
  std::vector<MonitorInfo> m;
  for (int i = 0; i < count; ++i) {
    const int32_t left = (count - 1 - i) * width;
    m.push_back(MonitorInfo{0, uint32_t(i), width, height, {left, 0, left + width, height}});
  }
  return m;
}

TEST(MonitorSelection, StartsOnOutputZeroInASortedList) {
  FakeScreenCapturer capturer(row(3));
  MonitorSet set;
  ASSERT_TRUE(startCapture(capturer, set));
  ASSERT_EQ(set.monitors.size(), 3u);
  EXPECT_EQ(set.monitors[0].outputIndex, 2u);
  EXPECT_EQ(set.current, 2);
  EXPECT_EQ(capturer.frame().outputIndex, 0u);
}

TEST(MonitorSelection, TenMonitorsWithCurrentAtNineKeepEightAndCurrentFirst) {
  // Output 0 sorts last (index 9) in a row of ten.
  FakeScreenCapturer capturer(row(10));
  MonitorSet set;
  ASSERT_TRUE(startCapture(capturer, set));
  EXPECT_EQ(set.monitors.size(), size_t(kMaxMonitors));
  EXPECT_EQ(set.current, 0);
  EXPECT_EQ(set.monitors[0].outputIndex, 0u);
  EXPECT_EQ(capturer.frame().desktop, set.monitors[0].desktop);
}

TEST(MonitorSelection, FallsBackToTheFirstListedThenFailsWhenNothingOpens) {
  FakeScreenCapturer capturer(row(2));
  capturer.failCreate(0, 0);
  MonitorSet set;
  EXPECT_FALSE(startCapture(capturer, set));

  FakeScreenCapturer none({});
  EXPECT_FALSE(startCapture(none, set));
}

TEST(MonitorSelection, SwitchRequestsOutOfRangeOrCurrentDoNothing) {
  FakeScreenCapturer capturer(row(3));
  MonitorSet set;
  ASSERT_TRUE(startCapture(capturer, set));
  const int creates = capturer.createCalls();
  for (int request : {-1, -2, set.current, 3, 255}) {
    EXPECT_EQ(switchMonitor(capturer, set, request), SwitchOutcome::kNone) << request;
  }
  EXPECT_EQ(capturer.createCalls(), creates);
}

TEST(MonitorSelection, SwitchMovesToTheRequestedMonitorAndRaisesTheGeneration) {
  FakeScreenCapturer capturer(row(3));
  MonitorSet set;
  ASSERT_TRUE(startCapture(capturer, set));
  const uint32_t generation = capturer.frame().generation;
  EXPECT_EQ(switchMonitor(capturer, set, 0), SwitchOutcome::kSwitched);
  EXPECT_EQ(set.current, 0);
  EXPECT_EQ(capturer.frame().desktop, set.monitors[0].desktop);
  EXPECT_GT(capturer.frame().generation, generation);
}

TEST(MonitorSelection, FailedSwitchKeepsOrLosesTheCurrentMonitor) {
  FakeScreenCapturer capturer(row(3));
  MonitorSet set;
  ASSERT_TRUE(startCapture(capturer, set));
  const int before = set.current;
  capturer.failCreate(0, set.monitors[0].outputIndex);
  EXPECT_EQ(switchMonitor(capturer, set, 0), SwitchOutcome::kKeptCurrent);
  EXPECT_EQ(set.current, before);
  EXPECT_EQ(capturer.frame().desktop, set.monitors[size_t(before)].desktop);

  capturer.failCreate(0, set.monitors[size_t(before)].outputIndex);
  EXPECT_EQ(switchMonitor(capturer, set, 0), SwitchOutcome::kLost);
}

}  // namespace
}  // namespace px
