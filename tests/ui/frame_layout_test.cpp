#include "ui/frame_layout.h"

#include <gtest/gtest.h>

#include "ui/frame_hit_name.h"

namespace px {
namespace {

struct HitCase {
  PointPx point;  // screen pixels
  FrameHit expected;
};

void expectHits(const FrameHitInput& base, std::initializer_list<HitCase> cases) {
  for (const HitCase& c : cases) {
    FrameHitInput in = base;
    in.point = c.point;
    EXPECT_STREQ(frameHitName(frameHitTest(in)), frameHitName(c.expected))
        << c.point.x << "," << c.point.y;
  }
}

TEST(UiFrameTest, CompactWindowAt96Dpi) {
  // 560 × 300 DIPs at screen position (100, 50).
  FrameHitInput in{{100, 50, 660, 350}, {100, 50, 660, 350}, {}, 96, false, false, nullptr};
  expectHits(in, {
                     {{100, 50}, FrameHit::kTopLeft},      {{105, 55}, FrameHit::kTopLeft},
                     {{106, 56}, FrameHit::kCaption},      {{659, 50}, FrameHit::kTopRight},
                     {{654, 55}, FrameHit::kTopRight},     {{653, 50}, FrameHit::kTop},
                     {{100, 349}, FrameHit::kBottomLeft},  {{659, 349}, FrameHit::kBottomRight},
                     {{300, 349}, FrameHit::kBottom},      {{300, 344}, FrameHit::kBottom},
                     {{300, 343}, FrameHit::kClient},      {{100, 200}, FrameHit::kLeft},
                     {{105, 200}, FrameHit::kLeft},        {{106, 200}, FrameHit::kClient},
                     {{659, 200}, FrameHit::kRight},       {{653, 200}, FrameHit::kClient},
                     {{300, 50}, FrameHit::kTop},          {{300, 97}, FrameHit::kCaption},
                     {{300, 98}, FrameHit::kClient},       {{620, 60}, FrameHit::kClient},
                     {{613, 60}, FrameHit::kClient},       {{568, 60}, FrameHit::kClient},
                     {{567, 60}, FrameHit::kCaption},
                 });
}

TEST(UiFrameTest, CompactWindowAt144Dpi) {
  // 560 × 300 DIPs = 840 × 450 pixels at the screen origin.
  FrameHitInput in{{0, 0, 840, 450}, {0, 0, 840, 450}, {}, 144, false, false, nullptr};
  expectHits(in, {
                     {{839, 0}, FrameHit::kTopRight},  {{834, 6}, FrameHit::kRight},
                     {{833, 6}, FrameHit::kClient},    {{771, 20}, FrameHit::kClient},
                     {{770, 20}, FrameHit::kClient},   {{702, 20}, FrameHit::kClient},
                     {{701, 20}, FrameHit::kCaption},  {{400, 71}, FrameHit::kCaption},
                     {{400, 72}, FrameHit::kClient},   {{0, 449}, FrameHit::kBottomLeft},
                     {{6, 443}, FrameHit::kClient},    {{6, 444}, FrameHit::kBottom},
                 });
}

TEST(UiFrameTest, MaximisedHomeScreenHasNoBordersAndUsesClientCoordinates) {
  // The window overhangs the 1920 × 1040 work area; the client area is the work area.
  FrameHitInput in{{-8, -8, 1928, 1048}, {0, 0, 1920, 1040}, {}, 96, true, true, nullptr};
  expectHits(in, {
                     {{0, 0}, FrameHit::kCaption},      {{-4, -4}, FrameHit::kClient},
                     {{1919, 10}, FrameHit::kClient},   {{1782, 10}, FrameHit::kClient},
                     {{1781, 10}, FrameHit::kCaption},  {{3, 1039}, FrameHit::kClient},
                     {{960, 47}, FrameHit::kCaption},   {{960, 48}, FrameHit::kClient},
                 });
}

TEST(UiFrameTest, TitleBarButtonsOfKind3And9AreClientOthersDrag) {
  HitRegionList regions;
  regions.add(HitKind::kAccessButton, {350, 10, 458, 38});
  regions.add(HitKind::kIdDigits, {100, 10, 300, 40}, "123456789");
  regions.add(HitKind::kLogout, {20, 10, 80, 38});
  FrameHitInput in{{0, 0, 560, 300}, {0, 0, 560, 300}, {}, 96, false, false, &regions};
  expectHits(in, {
                     {{350, 10}, FrameHit::kClient},   {{457, 37}, FrameHit::kClient},
                     {{458, 20}, FrameHit::kCaption},  {{349, 20}, FrameHit::kCaption},
                     {{150, 20}, FrameHit::kCaption},  {{50, 20}, FrameHit::kClient},
                 });
}

TEST(UiFrameTest, CaptionButtonRectangles) {
  struct Case {
    CaptionButton button;
    float width;
    bool home;
    std::optional<RectF> rect;
  };
  const Case cases[] = {
      {CaptionButton::kClose, 560, false, RectF{514, 0, 560, 48}},
      {CaptionButton::kMinimise, 560, false, RectF{468, 0, 514, 48}},
      {CaptionButton::kMaximise, 560, false, std::nullopt},
      {CaptionButton::kClose, 920, true, RectF{874, 0, 920, 48}},
      {CaptionButton::kMaximise, 920, true, RectF{828, 0, 874, 48}},
      {CaptionButton::kMinimise, 920, true, RectF{782, 0, 828, 48}},
      {CaptionButton::kNone, 920, true, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(captionButtonRect(c.button, c.width, c.home), c.rect) << int(c.button) << " " << c.home;
  }
}

TEST(UiFrameTest, CaptionButtonUnderThePointer) {
  struct Case {
    PointF p;
    bool home;
    CaptionButton expected;
  };
  const Case cases[] = {
      {{559.9f, 0}, false, CaptionButton::kClose},    {{560, 0}, false, CaptionButton::kNone},
      {{514, 47.9f}, false, CaptionButton::kClose},   {{514, 48}, false, CaptionButton::kNone},
      {{513.9f, 10}, false, CaptionButton::kMinimise}, {{467.9f, 10}, false, CaptionButton::kNone},
      {{500, 10}, true, CaptionButton::kMaximise},    {{467.9f, 10}, true, CaptionButton::kMinimise},
      {{421.9f, 10}, true, CaptionButton::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(captionButtonAt(c.p, 560, c.home), c.expected) << c.p.x << "," << c.p.y;
  }
}

TEST(UiFrameTest, CaptionButtonUpActsOnlyOnTheButtonPressed) {
  using B = CaptionButton;
  using A = CaptionAction;
  struct Case {
    B pressed, under;
    bool home, maximised;
    A action;
  };
  const Case cases[] = {
      {B::kClose, B::kClose, false, false, A::kClose},
      {B::kClose, B::kNone, false, false, A::kNone},
      {B::kClose, B::kMinimise, true, false, A::kNone},
      {B::kMinimise, B::kMinimise, false, false, A::kMinimise},
      {B::kMaximise, B::kMaximise, true, false, A::kMaximise},
      {B::kMaximise, B::kMaximise, true, true, A::kRestore},
      {B::kMaximise, B::kMaximise, false, false, A::kNone},
      {B::kNone, B::kNone, true, false, A::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(captionButtonUp(c.pressed, c.under, c.home, c.maximised), c.action)
        << int(c.pressed) << "->" << int(c.under);
  }
}

TEST(UiFrameTest, CompactLayoutIsFixedSizeAndNeverMaximises) {
  const TrackLimits compact = trackLimits(false);
  EXPECT_EQ(compact.minimum, (SizeF{560, 300}));
  EXPECT_EQ(compact.maximum, (SizeF{560, 300}));
  EXPECT_FALSE(systemMaximiseAllowed(false));
  const TrackLimits home = trackLimits(true);
  EXPECT_EQ(home.minimum, (SizeF{720, 640}));
  EXPECT_FALSE(home.maximum.has_value());
  EXPECT_TRUE(systemMaximiseAllowed(true));
}

TEST(UiFrameTest, GlyphsAreCentredInTheirButton) {
  const RectF close{514, 0, 560, 48};
  const auto x = captionGlyph(CaptionButton::kClose, close, false);
  ASSERT_EQ(x.size(), 2u);
  EXPECT_EQ(x[0], (LineF{{532, 19}, {542, 29}}));
  EXPECT_EQ(x[1], (LineF{{542, 19}, {532, 29}}));
  EXPECT_EQ(captionGlyph(CaptionButton::kMinimise, close, false).size(), 1u);
  EXPECT_EQ(captionGlyph(CaptionButton::kMaximise, close, false).size(), 4u);
  EXPECT_EQ(captionGlyph(CaptionButton::kMaximise, close, true).size(), 6u);
}

}  // namespace
}  // namespace px
