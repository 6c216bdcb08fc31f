#include "ui/viewer_frame_layout.h"

#include <gtest/gtest.h>

#include "ui/frame_hit_name.h"

#include "geometry_print.h"

namespace px {
namespace {

TEST(UiViewerFrameTest, DpiIsNeverBelow96) {
  const std::pair<int, int> cases[] = {{0, 96}, {-1, 96}, {72, 96}, {96, 96}, {120, 120},
                                       {144, 144}};
  for (const auto& [screen, expected] : cases) EXPECT_EQ(viewerDpi(screen), expected) << screen;
}

TEST(UiViewerFrameTest, FirstClientSizeFitsInFourFifthsOfTheScreen) {
  struct Case {
    SizePx image, screen, client;
  };
  const Case cases[] = {
      {{3840, 2160}, {1920, 1080}, {1536, 864}},
      {{1920, 1080}, {1920, 1080}, {1536, 864}},
      {{1280, 720}, {1920, 1080}, {1280, 720}},
      {{1536, 864}, {1920, 1080}, {1536, 864}},  // exactly four fifths: kept
      {{1537, 100}, {1920, 1080}, {1536, 99}},   // one side too wide scales both, truncated
      {{2560, 1080}, {1920, 1080}, {1536, 648}},
      {{1080, 1920}, {1920, 1080}, {486, 864}},
      {{800, 600}, {0, 0}, {800, 600}},  // screen unknown: the image as it is
  };
  for (const Case& c : cases) {
    const SizePx got = viewerClientSize(c.image, c.screen);
    EXPECT_EQ(got, c.client) << c.image.width << "x" << c.image.height << " -> " << got.width
                             << "x" << got.height;
  }
}

TEST(UiViewerFrameTest, WindowSizeAddsMarginsAndTopSpace) {
  struct Case {
    SizePx client;
    int dpi;
    SizePx window;
  };
  const Case cases[] = {
      {{1536, 864}, 96, {1568, 996}},
      {{1536, 864}, 144, {1584, 1062}},
      {{1000, 500}, 120, {1040, 665}},
      {{1000, 500}, 168, {1056, 731}},
  };
  for (const Case& c : cases) EXPECT_EQ(viewerWindowSize(c.client, c.dpi), c.window) << c.dpi;
}

TEST(UiViewerFrameTest, WindowsCascadeAndRepeatAfterSix) {
  const std::pair<unsigned, int> cases[] = {{0, 40}, {1, 68}, {2, 96}, {5, 180}, {6, 40},
                                            {7, 68}, {4294967295u, 124}};
  for (const auto& [n, at] : cases) EXPECT_EQ(viewerWindowOrigin(n), (PointPx{at, at})) << n;
}

TEST(UiViewerFrameTest, MinimumTrackSize) {
  EXPECT_EQ(viewerMinimumTrackSize(96), (SizePx{640, 420}));
  EXPECT_EQ(viewerMinimumTrackSize(120), (SizePx{800, 525}));
  EXPECT_EQ(viewerMinimumTrackSize(144), (SizePx{960, 630}));
}

TEST(UiViewerFrameTest, ClientAreaOfAProposedRectangle) {
  const RectPx monitor{0, 0, 1920, 1080}, work{0, 0, 1920, 1040};
  struct Case {
    RectPx proposed;
    bool maximised;
    RectPx client;
  };
  const Case cases[] = {
      {{100, 100, 900, 700}, false, {100, 100, 900, 700}},
      {{-8, -8, 1928, 1088}, true, work},
      {{0, 0, 1920, 1080}, false, work},        // covers the monitor: as maximised
      {{-10, -10, 1940, 1100}, false, work},
      {{0, 0, 1920, 1079}, false, {0, 0, 1920, 1079}},  // one pixel short in height
      {{0, 0, 1919, 1080}, false, {0, 0, 1919, 1080}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(viewerClientForProposed(c.proposed, monitor, work, c.maximised), c.client)
        << c.proposed;
  }
  EXPECT_EQ(viewerDwmBottomMargin(false), 1);
  EXPECT_EQ(viewerDwmBottomMargin(true), 0);
}

TEST(UiViewerFrameTest, ViewPlacement) {
  struct Case {
    SizePx client;
    int dpi;
    bool maximised, chat;
    RectPx view;
  };
  const Case cases[] = {
      {{1568, 996}, 96, false, false, {16, 116, 1552, 980}},
      {{1568, 996}, 96, false, true, {16, 116, 1272, 980}},
      {{1920, 1040}, 96, true, false, {0, 116, 1920, 1040}},
      {{1920, 1040}, 96, true, true, {0, 116, 1640, 1040}},
      {{1584, 1062}, 144, false, false, {24, 174, 1560, 1038}},
      {{1584, 1062}, 144, false, true, {24, 174, 1140, 1038}},
      {{1000, 600}, 120, false, true, {20, 145, 630, 580}},
      {{10, 10}, 96, false, true, {16, 116, 17, 117}},  // never below one pixel
  };
  for (const Case& c : cases) {
    const ViewerAreas a = layoutViewerAreas(c.client, c.dpi, c.maximised, c.chat);
    EXPECT_EQ(a.view, c.view) << c.client.width << "x" << c.client.height << " at " << c.dpi
                              << (c.maximised ? " maximised" : "") << (c.chat ? " chat" : "")
                              << ": " << a.view;
  }
}

TEST(UiViewerFrameTest, HitTest) {
  struct Case {
    RectPx window, client;
    int dpi;
    bool maximised;
    PointPx point;
    FrameHit hit;
  };
  const RectPx w96{100, 50, 900, 650};   // 800 × 600 DIPs at 96
  const RectPx w144{0, 0, 1200, 900};    // 800 × 600 DIPs at 144
  const RectPx max{-8, -8, 1928, 1048}, work{0, 0, 1920, 1040};
  const Case cases[] = {
      {w96, w96, 96, false, {100, 50}, FrameHit::kTopLeft},
      {w96, w96, 96, false, {899, 50}, FrameHit::kTopRight},
      {w96, w96, 96, false, {100, 649}, FrameHit::kBottomLeft},
      {w96, w96, 96, false, {899, 644}, FrameHit::kBottomRight},
      {w96, w96, 96, false, {500, 649}, FrameHit::kBottom},
      {w96, w96, 96, false, {105, 300}, FrameHit::kLeft},
      {w96, w96, 96, false, {894, 300}, FrameHit::kRight},
      {w96, w96, 96, false, {500, 55}, FrameHit::kTop},
      {w96, w96, 96, false, {500, 56}, FrameHit::kCaption},
      {w96, w96, 96, false, {500, 97}, FrameHit::kCaption},
      {w96, w96, 96, false, {500, 98}, FrameHit::kClient},   // the overlay bar
      {w96, w96, 96, false, {761, 60}, FrameHit::kCaption},  // just left of minimise
      {w96, w96, 96, false, {762, 60}, FrameHit::kClient},   // minimise
      {w96, w96, 96, false, {853, 60}, FrameHit::kClient},   // maximise
      {w96, w96, 96, false, {893, 60}, FrameHit::kClient},   // close
      {w96, w96, 96, false, {500, 400}, FrameHit::kClient},  // the view
      {w144, w144, 144, false, {600, 71}, FrameHit::kCaption},
      {w144, w144, 144, false, {600, 72}, FrameHit::kClient},
      {w144, w144, 144, false, {992, 40}, FrameHit::kCaption},
      {w144, w144, 144, false, {993, 40}, FrameHit::kClient},
      {max, work, 96, true, {0, 0}, FrameHit::kCaption},  // no resize band when maximised
      {max, work, 96, true, {0, 47}, FrameHit::kCaption},
      {max, work, 96, true, {1919, 10}, FrameHit::kClient},
      {max, work, 96, true, {0, 1039}, FrameHit::kClient},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(frameHitName(viewerFrameHit(c.window, c.client, c.point, c.dpi, c.maximised)),
                 frameHitName(c.hit))
        << c.point.x << "," << c.point.y << " at " << c.dpi;
  }
}

}  // namespace
}  // namespace px
