#include "host/fake_screen_capturer.h"

#include <gtest/gtest.h>

namespace px {
namespace {

using Step = FakeScreenCapturer::Step;

FakeScreenCapturer makeCapturer() {
  return FakeScreenCapturer({MonitorInfo{0, 0, 100, 50, {0, 0, 100, 50}}});
}

TEST(FakeScreenCapturer, SloppyDirtyRectsStillLeaveTheImageExact) {
  FakeScreenCapturer capturer = makeCapturer();
  ASSERT_TRUE(capturer.create(0, 0));
  capturer.push({Step::kPaint, {0, 0, 100, 50}, 0xFF102030});  // first frame: full copy
  capturer.push({Step::kPaint, {-10, 40, 20, 70}, 0xFF0000FF});  // off the top-left corner
  capturer.push({Step::kPaint, {90, -5, 130, 5}, 0xFF00FF00});
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(capturer.acquire(0), CaptureResult::kNewFrame);
    EXPECT_EQ(capturer.frame().image, capturer.screen()) << "frame " << i;
  }
  EXPECT_EQ(capturer.copiedFull(), 1);
  EXPECT_EQ(capturer.copiedPartial(), 2);
  // The dirty list is handed on as reported, off-screen parts included.
  EXPECT_EQ(capturer.frame().dirty.size(), 3u);
  EXPECT_EQ(capturer.frame().dirty[0].right, 133);
}

TEST(FakeScreenCapturer, PointerOnlyFrameCopiesNothing) {
  FakeScreenCapturer capturer = makeCapturer();
  ASSERT_TRUE(capturer.create(0, 0));
  capturer.push({Step::kPaint, {0, 0, 100, 50}, 0xFF102030});
  capturer.push({Step::kPointerOnly, {}, 0, 12, 34});
  ASSERT_EQ(capturer.acquire(0), CaptureResult::kNewFrame);
  const int full = capturer.copiedFull(), partial = capturer.copiedPartial();
  ASSERT_EQ(capturer.acquire(0), CaptureResult::kNewFrame);
  EXPECT_TRUE(capturer.frame().dirty.empty());
  EXPECT_EQ(capturer.copiedFull() + capturer.copiedPartial(), full + partial);
  EXPECT_EQ(capturer.frame().cursorX, 12);
  EXPECT_EQ(capturer.frame().cursorY, 34);
  EXPECT_TRUE(capturer.frame().cursorVisible);
}

TEST(FakeScreenCapturer, LargeChangeIsOneFullCopy) {
  FakeScreenCapturer capturer = makeCapturer();
  ASSERT_TRUE(capturer.create(0, 0));
  capturer.push({Step::kPaint, {0, 0, 1, 1}, 0xFF000000});
  capturer.push({Step::kPaint, {0, 0, 80, 50}, 0xFFFFFFFF});  // 80 % of the monitor
  ASSERT_EQ(capturer.acquire(0), CaptureResult::kNewFrame);
  ASSERT_EQ(capturer.acquire(0), CaptureResult::kNewFrame);
  EXPECT_EQ(capturer.copiedFull(), 2);
  EXPECT_EQ(capturer.frame().image, capturer.screen());
}

TEST(FakeScreenCapturer, AccessLossRecreatesAndForcesAFullCopy) {
  FakeScreenCapturer capturer = makeCapturer();
  ASSERT_TRUE(capturer.create(0, 0));
  capturer.push({Step::kPaint, {0, 0, 10, 10}, 0xFF000000});
  capturer.push({Step::kAccessLost, {}, 0, 0, 0});
  capturer.push({Step::kPaint, {0, 0, 1, 1}, 0xFF0000FF});
  ASSERT_EQ(capturer.acquire(0), CaptureResult::kNewFrame);
  const uint32_t generation = capturer.frame().generation;
  EXPECT_EQ(capturer.acquire(0), CaptureResult::kRecreated);
  EXPECT_EQ(capturer.frame().generation, generation + 1);
  EXPECT_FALSE(capturer.frame().imageValid);
  const int full = capturer.copiedFull();
  ASSERT_EQ(capturer.acquire(0), CaptureResult::kNewFrame);
  EXPECT_EQ(capturer.copiedFull(), full + 1);
}

TEST(FakeScreenCapturer, FailedRecreationIsRetriedOnLaterAcquires) {
  FakeScreenCapturer capturer = makeCapturer();
  ASSERT_TRUE(capturer.create(0, 0));
  capturer.failCreate(0, 0);
  capturer.push({Step::kAccessLost, {}, 0, 0, 0});
  EXPECT_EQ(capturer.acquire(0), CaptureResult::kFailed);
  EXPECT_EQ(capturer.acquire(0), CaptureResult::kFailed);
  capturer.allowCreate(0, 0);
  EXPECT_EQ(capturer.acquire(0), CaptureResult::kRecreated);
  EXPECT_EQ(capturer.acquire(0), CaptureResult::kTimeout);
}

}  // namespace
}  // namespace px
