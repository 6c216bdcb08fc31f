#include "host/fallback_capturer.h"

#include <gtest/gtest.h>

#include <string>

#include "base/atomic_file.h"
#include "base/log.h"
#include "host/fake_screen_capturer.h"
#include "host/monitor_selection.h"
#include "support/test_paths.h"

namespace px {
namespace {

using Step = FakeScreenCapturer::Step;

const MonitorInfo kLeft{0, 0, 128, 64, {0, 0, 128, 64}};
const MonitorInfo kRight{0, 1, 96, 64, {128, 0, 224, 64}};

// Two fakes behind a wrapper; the test keeps pointers to steer them.
struct Rig {
  FakeScreenCapturer* primary = nullptr;
  FakeScreenCapturer* secondary = nullptr;
  int primaryMade = 0;
  int secondaryMade = 0;
  bool primaryFails = false;  // read when the wrapper makes the capturer
  bool secondaryFails = false;
  FallbackScreenCapturer capturer;

  Rig(std::vector<MonitorInfo> primaryMonitors, std::vector<MonitorInfo> secondaryMonitors)
      : capturer({"DXGI", [this, m = primaryMonitors] {
                    ++primaryMade;
                    return make(m, primaryFails, primary);
                  }},
                 {"GDI", [this, m = secondaryMonitors] {
                    ++secondaryMade;
                    return make(m, secondaryFails, secondary);
                  }}) {}

  static std::unique_ptr<ScreenCapturer> make(const std::vector<MonitorInfo>& monitors,
                                              bool fails, FakeScreenCapturer*& keep) {
    auto c = std::make_unique<FakeScreenCapturer>(monitors);
    for (const MonitorInfo& m : monitors) {
      if (fails) c->failCreate(m.adapterIndex, m.outputIndex);
    }
    keep = c.get();
    return c;
  }
};

TEST(FallbackCapturer, UsesThePrimaryWhenItOpens) {
  Rig rig({kLeft, kRight}, {kLeft, kRight});
  ASSERT_TRUE(rig.capturer.create(0, 1));
  EXPECT_STREQ(rig.capturer.activeName(), "DXGI");
  EXPECT_EQ(rig.secondaryMade, 0);
  rig.primary->push({Step::kPaint, {0, 0, 10, 10}, 0xFF112233});
  ASSERT_EQ(rig.capturer.acquire(0), CaptureResult::kNewFrame);
  EXPECT_EQ(rig.capturer.frame().desktop, kRight.desktop);
  EXPECT_EQ(rig.capturer.frame().image, rig.primary->screen());
}

TEST(FallbackCapturer, FallsBackWhenThePrimaryCannotStart) {
  Rig rig({kLeft, kRight}, {kLeft, kRight});
  rig.primaryFails = true;
  const CaptureFrame& frame = rig.capturer.frame();  // held across creates, as the host does
  ASSERT_TRUE(rig.capturer.create(0, 0));
  EXPECT_STREQ(rig.capturer.activeName(), "GDI");
  EXPECT_TRUE(rig.capturer.lastFailure().empty());
  rig.secondary->push({Step::kPaint, {5, 5, 20, 20}, 0xFF445566});
  rig.secondary->push({Step::kTimeout, {}, 0, 0, 0});
  ASSERT_EQ(rig.capturer.acquire(0), CaptureResult::kNewFrame);
  EXPECT_EQ(frame.image, rig.secondary->screen());
  EXPECT_EQ(frame.width, kLeft.width);
  EXPECT_EQ(rig.capturer.acquire(0), CaptureResult::kTimeout);
  // Chosen for good: later creates go to the secondary only, even when the primary could open.
  rig.primary->allowCreate(0, 1);
  const int primaryCreates = rig.primary->createCalls();
  ASSERT_TRUE(rig.capturer.create(0, 1));
  EXPECT_EQ(rig.primary->createCalls(), primaryCreates);
  EXPECT_EQ(frame.desktop, kRight.desktop);
}

TEST(FallbackCapturer, GenerationRisesAcrossBackends) {
  Rig rig({kLeft}, {kLeft});
  rig.primaryFails = true;
  const uint32_t before = rig.capturer.frame().generation;
  ASSERT_TRUE(rig.capturer.create(0, 0));
  const uint32_t opened = rig.capturer.frame().generation;
  EXPECT_GT(opened, before);
  rig.secondary->push({Step::kAccessLost, {}, 0, 0, 0});
  EXPECT_EQ(rig.capturer.acquire(0), CaptureResult::kRecreated);
  EXPECT_GT(rig.capturer.frame().generation, opened);
}

// The primary's (adapter, output) opens the secondary's monitor with the same rectangle.
TEST(FallbackCapturer, MapsMonitorsByDesktopRectangle) {
  struct Case {
    const char* name;
    uint32_t output;  // in the primary's numbering
    PixelRect expected;
  } cases[] = {{"left", 0, kLeft.desktop}, {"right", 1, kRight.desktop}};
  MonitorInfo left = kLeft, right = kRight;
  left.outputIndex = 1;  // the secondary numbers them the other way round
  right.outputIndex = 0;
  for (const Case& c : cases) {
    Rig rig({kLeft, kRight}, {right, left});
    rig.primaryFails = true;
    ASSERT_TRUE(rig.capturer.create(0, c.output)) << c.name;
    EXPECT_EQ(rig.capturer.frame().desktop, c.expected) << c.name;
  }
}

TEST(FallbackCapturer, BothFailingLeavesTheChoiceOpen) {
  Rig rig({kLeft}, {kLeft});
  rig.primaryFails = true;
  rig.secondaryFails = true;
  EXPECT_FALSE(rig.capturer.create(0, 0));
  EXPECT_EQ(rig.capturer.activeName(), nullptr);
  EXPECT_NE(rig.capturer.lastFailure().find("create 0/0 recusado"), std::string::npos);
  EXPECT_EQ(rig.capturer.acquire(0), CaptureResult::kFailed);
  rig.primary->allowCreate(0, 0);
  EXPECT_EQ(rig.capturer.acquire(0), CaptureResult::kRecreated);
  EXPECT_STREQ(rig.capturer.activeName(), "DXGI");
  EXPECT_EQ(rig.primaryMade, 1);
  EXPECT_EQ(rig.secondaryMade, 1);
}

TEST(FallbackCapturer, FailsWithoutAnyBackend) {
  FallbackScreenCapturer capturer({"DXGI", nullptr}, {"GDI", [] {
                                     return std::unique_ptr<ScreenCapturer>();
                                   }});
  EXPECT_TRUE(capturer.enumerateMonitors().empty());
  EXPECT_FALSE(capturer.create(0, 0));
  EXPECT_EQ(capturer.acquire(0), CaptureResult::kFailed);
  capturer.release();
}

// The monitor list of a started capture uses the numbering of the backend that opened.
TEST(FallbackCapturer, StartCaptureListsTheOpenedBackendsMonitors) {
  MonitorInfo left = kLeft, right = kRight;
  left.adapterIndex = 3;
  right.adapterIndex = 3;
  Rig rig({kLeft, kRight}, {right, left});
  rig.primaryFails = true;
  MonitorSet set;
  ASSERT_TRUE(startCapture(rig.capturer, set));
  ASSERT_EQ(set.monitors.size(), 2u);
  EXPECT_EQ(set.monitors[0], left);
  EXPECT_EQ(set.monitors[set.current].desktop, rig.capturer.frame().desktop);
  EXPECT_EQ(switchMonitor(rig.capturer, set, 1 - set.current), SwitchOutcome::kSwitched);
  EXPECT_EQ(rig.capturer.frame().desktop, set.monitors[set.current].desktop);
}

TEST(FallbackCapturer, LogsTheChoiceOnce) {
  struct Case {
    const char* name;
    bool primaryFails;
    const char* expected;
  } cases[] = {
      {"primary", false, "[HOST] captura por DXGI\n"},
      {"secondary", true, "[HOST] captura por GDI: DXGI indisponivel; create 0/0 recusado\n"},
  };
  for (const Case& c : cases) {
    test::TempDir scratch;
    openLog(scratch.path() / kLogFileName);
    {
      Rig rig({kLeft}, {kLeft});
      if (c.primaryFails) rig.primaryFails = true;
      ASSERT_TRUE(rig.capturer.create(0, 0)) << c.name;
      ASSERT_TRUE(rig.capturer.create(0, 0)) << c.name;
    }
    closeLog();
    Bytes bytes;
    ASSERT_TRUE(readWholeFile(scratch.path() / kLogFileName, bytes)) << c.name;
    std::string log(bytes.begin(), bytes.end());
    std::erase(log, '\r');  // the Windows log stores CR LF
    const size_t at = log.find(c.expected);
    EXPECT_NE(at, std::string::npos) << c.name << ": " << log;
    EXPECT_EQ(log.find("[HOST] captura por", at + 1), std::string::npos) << c.name;
  }
}

}  // namespace
}  // namespace px
