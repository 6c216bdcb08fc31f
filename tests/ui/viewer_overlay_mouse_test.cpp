#include "ui/viewer_overlay_mouse.h"

#include <gtest/gtest.h>

#include "geometry_print.h"

namespace px {
namespace {

// 1000 DIPs wide, status 150 wide, three monitors: tabs at 602, 670 and 738 (62 wide), the chat
// toggle at 528..592, all from y 69 to 95.
ViewerOverlayLayout threeMonitors() {
  return layoutViewerOverlay({{1000, 700}, 150, 3, false, false});
}

TEST(UiViewerMouseTest, TabAndToggleEdges) {
  const ViewerOverlayLayout l = threeMonitors();
  struct Case {
    PointF p;
    int tab;
    bool toggle;
  };
  const Case cases[] = {
      {{602, 69}, 0, false},     {{663.9f, 94.9f}, 0, false}, {{664, 80}, -1, false},
      {{670, 80}, 1, false},     {{799.9f, 80}, 2, false},    {{800, 80}, -1, false},
      {{700, 68.9f}, -1, false}, {{700, 95}, -1, false},      {{528, 69}, -1, true},
      {{591.9f, 94}, -1, true},  {{592, 80}, -1, false},      {{527.9f, 80}, -1, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(tabAt(l, c.p), c.tab) << c.p;
    EXPECT_EQ(chatToggleAt(l, c.p), c.toggle) << c.p;
  }
}

TEST(UiViewerMouseTest, Hover) {
  const ViewerOverlayLayout l = threeMonitors();
  struct Case {
    PointF p;
    ViewerHover hover;
  };
  const Case cases[] = {
      {{10, 10}, {}},
      {{980, 10}, {CaptionButton::kClose, -1, false}},
      {{930, 47}, {CaptionButton::kMaximise, -1, false}},
      {{870, 0}, {CaptionButton::kMinimise, -1, false}},
      {{870, 48}, {}},
      {{700, 80}, {CaptionButton::kNone, 1, false}},
      {{560, 80}, {CaptionButton::kNone, -1, true}},
  };
  for (const Case& c : cases) EXPECT_EQ(viewerHoverAt(l, c.p, 1000), c.hover) << c.p;

  ViewerHover stored;
  EXPECT_FALSE(stored.any());
  EXPECT_TRUE(updateViewerHover(stored, {CaptionButton::kNone, 2, false}));
  EXPECT_TRUE(stored.any());
  EXPECT_FALSE(updateViewerHover(stored, {CaptionButton::kNone, 2, false}));
  EXPECT_TRUE(updateViewerHover(stored, {}));
  EXPECT_EQ(stored.tab, -1);
}

TEST(UiViewerMouseTest, Clicks) {
  const ViewerOverlayLayout l = threeMonitors();
  struct Case {
    const char* what;
    PointF p;
    int current, count;
    ViewerClick click;
  };
  const Case cases[] = {
      {"toggle", {560, 80}, 0, 3, {ViewerClickAction::kToggleChat}},
      {"other tab", {700, 80}, 0, 3, {ViewerClickAction::kSelectMonitor, 1}},
      {"current tab", {700, 80}, 1, 3, {}},
      {"tab the host no longer lists", {750, 80}, 0, 2, {}},
      {"close", {990, 20}, 0, 3, {ViewerClickAction::kPressCaptionButton, -1, CaptionButton::kClose}},
      {"minimise", {862, 20}, 0, 3,
       {ViewerClickAction::kPressCaptionButton, -1, CaptionButton::kMinimise}},
      {"caption strip", {400, 20}, 0, 3, {}},
      {"bar", {300, 80}, 0, 3, {}},
  };
  for (const Case& c : cases) {
    const ViewerClick got = viewerClickAt(l, c.p, 1000, c.current, c.count);
    EXPECT_EQ(got, c.click) << c.what;
  }
}

TEST(UiViewerMouseTest, CaptionButtonRelease) {
  using B = CaptionButton;
  using A = CaptionAction;
  struct Case {
    B pressed, under;
    bool maximised;
    A action;
  };
  const Case cases[] = {
      {B::kClose, B::kClose, false, A::kClose},
      {B::kMinimise, B::kMinimise, true, A::kMinimise},
      {B::kMaximise, B::kMaximise, false, A::kMaximise},
      {B::kMaximise, B::kMaximise, true, A::kRestore},
      {B::kClose, B::kMinimise, false, A::kNone},  // released over another button
      {B::kClose, B::kNone, false, A::kNone},
      {B::kNone, B::kNone, false, A::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(viewerCaptionButtonUp(c.pressed, c.under, c.maximised), c.action)
        << int(c.pressed) << " " << int(c.under) << " " << c.maximised;
  }
}

}  // namespace
}  // namespace px
