#include "ui/main_mouse.h"

#include <gtest/gtest.h>

namespace px {
namespace {

// A home screen's regions in paint order: the star is painted, and registered, before its card.
HitRegionList homeRegions() {
  HitRegionList regions;
  regions.add(HitKind::kLogout, {718, 10, 782, 38});
  regions.add(HitKind::kIdDigits, {100, 200, 300, 240}, "123456789");
  regions.add(HitKind::kCardStar, {180, 375, 196, 391}, "111222333");
  regions.add(HitKind::kCard, {28, 370, 200, 450}, "111222333");
  regions.add(HitKind::kCard, {210, 370, 382, 450}, "444555666");
  return regions;
}

TEST(UiHitRegionsTest, FirstRegionInPaintOrderWinsEdgesHalfOpen) {
  HitRegionList regions;
  regions.add(HitKind::kCard, {10, 10, 50, 50}, "first");
  regions.add(HitKind::kCardStar, {40, 10, 60, 30}, "second");
  struct Case {
    PointF p;
    const char* key;  // null: no region
  };
  const Case cases[] = {
      {{10, 10}, "first"},   {{49.9f, 49.9f}, "first"}, {{50, 20}, "second"}, {{45, 20}, "first"},
      {{59.9f, 29.9f}, "second"}, {{60, 20}, nullptr},  {{20, 50}, nullptr},   {{9.9f, 20}, nullptr},
  };
  for (const Case& c : cases) {
    const HitRegion* got = regions.at(c.p);
    if (!c.key) {
      EXPECT_EQ(got, nullptr) << c.p.x << "," << c.p.y;
    } else {
      ASSERT_NE(got, nullptr) << c.p.x << "," << c.p.y;
      EXPECT_EQ(got->key, c.key) << c.p.x << "," << c.p.y;
    }
  }
  regions.clear();
  EXPECT_EQ(regions.at({20, 20}), nullptr);
}

TEST(UiMouseTest, HoverStateFromPointer) {
  const HitRegionList regions = homeRegions();
  struct Case {
    PointF p;
    HoverState expected;
  };
  const Case cases[] = {
      {{750, 20}, {CaptionButton::kNone, HitKind::kLogout, ""}},
      {{150, 220}, {CaptionButton::kNone, HitKind::kNone, ""}},
      {{100, 400}, {CaptionButton::kNone, HitKind::kNone, "111222333"}},
      {{185, 380}, {CaptionButton::kNone, HitKind::kCardStar, "111222333"}},
      {{300, 400}, {CaptionButton::kNone, HitKind::kNone, "444555666"}},
      {{900, 20}, {CaptionButton::kClose, HitKind::kNone, ""}},
      {{800, 20}, {CaptionButton::kMinimise, HitKind::kNone, ""}},
      {{500, 500}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hoverAt(c.p, 920, true, regions), c.expected) << c.p.x << "," << c.p.y;
  }
}

TEST(UiMouseTest, HoverChangesRepaintOnlyWhatChanged) {
  struct Step {
    HoverState next;
    Repaint repaint;
  };
  const Step steps[] = {
      {{CaptionButton::kClose, HitKind::kNone, ""}, Repaint::kCaptionStrip},
      {{CaptionButton::kClose, HitKind::kNone, ""}, Repaint::kNone},
      {{CaptionButton::kMinimise, HitKind::kNone, ""}, Repaint::kCaptionStrip},
      {{CaptionButton::kNone, HitKind::kAccessButton, ""}, Repaint::kWholeWindow},
      {{CaptionButton::kNone, HitKind::kNone, "111222333"}, Repaint::kWholeWindow},
      {{CaptionButton::kNone, HitKind::kNone, "444555666"}, Repaint::kWholeWindow},
      {{}, Repaint::kWholeWindow},
      {{}, Repaint::kNone},
  };
  HoverState state;
  for (size_t i = 0; i < std::size(steps); ++i) {
    EXPECT_EQ(updateHover(state, steps[i].next), steps[i].repaint) << "step " << i;
    EXPECT_EQ(state, steps[i].next);
  }
}

TEST(UiMouseTest, HandCursorOverAnyRegion) {
  const HitRegionList regions = homeRegions();
  EXPECT_TRUE(handCursorAt({150, 220}, regions));
  EXPECT_TRUE(handCursorAt({100, 400}, regions));
  EXPECT_FALSE(handCursorAt({500, 500}, regions));
  EXPECT_FALSE(handCursorAt({900, 20}, regions));  // caption buttons keep the arrow
}

TEST(UiMouseTest, ClickDecisions) {
  const HitRegionList regions = homeRegions();
  struct Case {
    PointF p;
    ClickDecision expected;
  };
  const Case cases[] = {
      {{900, 20}, {ClickAction::kPressCaptionButton, CaptionButton::kClose, 0, {}, {}}},
      {{850, 20}, {ClickAction::kPressCaptionButton, CaptionButton::kMaximise, 0, {}, {}}},
      {{150, 220}, {ClickAction::kCopyId, {}, 0, "123456789", "ID copiado"}},
      {{185, 380}, {ClickAction::kToggleFavourite, {}, 0, "111222333", {}}},
      {{100, 400}, {ClickAction::kConnectToCard, {}, 0, "111222333", {}}},
      {{750, 20}, {ClickAction::kLogout, {}, 0, {}, {}}},
      {{500, 500}, {}},
  };
  for (const Case& c : cases) {
    const ClickDecision got = clickAt(c.p, 920, true, regions);
    EXPECT_EQ(got.action, c.expected.action) << c.p.x << "," << c.p.y;
    EXPECT_EQ(got, c.expected) << c.p.x << "," << c.p.y;
  }
}

TEST(UiMouseTest, EveryKindHasItsAction) {
  struct Case {
    HitKind kind;
    ClickAction action;
    int command;
  };
  const Case cases[] = {
      {HitKind::kAccessButton, ClickAction::kEnterHomeScreen, 0},
      {HitKind::kDisconnect, ClickAction::kCommand, 103},
      {HitKind::kChat, ClickAction::kCommand, 108},
      {HitKind::kLoginSubmit, ClickAction::kCommand, 111},
      {HitKind::kLoginBack, ClickAction::kLeaveLoginScreen, 0},
      {HitKind::kRememberLogin, ClickAction::kToggleRememberLogin, 0},
      {HitKind::kLogout, ClickAction::kLogout, 0},
      {HitKind::kPasswordLink, ClickAction::kOpenPasswordScreen, 0},
      {HitKind::kPasswordSave, ClickAction::kCommand, 107},
      {HitKind::kPasswordBack, ClickAction::kClosePasswordScreen, 0},
      {HitKind::kPasswordRemove, ClickAction::kRemovePassword, 0},
  };
  for (const Case& c : cases) {
    const ClickDecision got = regionClick({c.kind, {0, 0, 1, 1}, {}});
    EXPECT_EQ(got.action, c.action) << int(c.kind);
    EXPECT_EQ(got.command, c.command) << int(c.kind);
    EXPECT_TRUE(got.status.empty()) << int(c.kind);
  }
}

}  // namespace
}  // namespace px
