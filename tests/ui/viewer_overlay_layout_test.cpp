#include "ui/viewer_overlay_layout.h"

#include <gtest/gtest.h>

#include "geometry_print.h"

namespace px {
namespace {

TEST(UiViewerOverlayTest, StatusWidthFallsBackWhenUnmeasured) {
  const std::pair<float, float> cases[] = {{0, 280}, {0.5f, 280}, {-3, 280}, {1, 1}, {151.5f, 151.5f}};
  for (const auto& [measured, width] : cases) EXPECT_EQ(statusTextWidth(measured), width);
}

TEST(UiViewerOverlayTest, TabCountAndLabels) {
  const std::pair<int, int> counts[] = {{0, 0}, {1, 0}, {2, 2}, {8, 8}, {9, 8}, {-1, 0}};
  for (const auto& [monitors, tabs] : counts) EXPECT_EQ(monitorTabCount(monitors), tabs);
  EXPECT_EQ(monitorTabLabel(0), "Tela 1");
  EXPECT_EQ(monitorTabLabel(7), "Tela 8");
}

ViewerOverlayLayout layoutAt1000(int monitors) {
  return layoutViewerOverlay({{1000, 700}, 150, monitors, false, false});
}

TEST(UiViewerOverlayTest, BarWithoutTabs) {
  const ViewerOverlayLayout l = layoutAt1000(1);
  EXPECT_TRUE(l.tabs.empty());
  EXPECT_EQ(l.caption, (RectF{0, 0, 1000, 48}));
  EXPECT_EQ(l.bar, (RectF{16, 60, 984, 104}));
  EXPECT_EQ(l.statusText, (RectF{818, 69, 968, 95}));
  EXPECT_EQ(l.chatToggle, (RectF{742, 69, 806, 95})) << "12 DIPs left of the status text";
  EXPECT_EQ(l.remoteName, (RectF{32, 69, 730, 95}));
  EXPECT_FALSE(l.chatShown);
}

TEST(UiViewerOverlayTest, TabsEndEighteenLeftOfTheStatusText) {
  struct Case {
    int monitors;
    std::vector<float> lefts;
    RectF toggle;
  };
  const Case cases[] = {
      {2, {670, 738}, {596, 69, 660, 95}},
      {3, {602, 670, 738}, {528, 69, 592, 95}},
      {8, {262, 330, 398, 466, 534, 602, 670, 738}, {188, 69, 252, 95}},
      {9, {262, 330, 398, 466, 534, 602, 670, 738}, {188, 69, 252, 95}},
  };
  for (const Case& c : cases) {
    const ViewerOverlayLayout l = layoutAt1000(c.monitors);
    ASSERT_EQ(l.tabs.size(), c.lefts.size()) << c.monitors;
    for (size_t i = 0; i < l.tabs.size(); ++i) {
      EXPECT_EQ(l.tabs[i], (RectF{c.lefts[i], 69, c.lefts[i] + 62, 95})) << c.monitors << " #" << i;
    }
    EXPECT_EQ(l.chatToggle, c.toggle) << c.monitors << ": " << l.chatToggle;
  }
}

TEST(UiViewerOverlayTest, ChatPanelRightOfTheView) {
  struct Case {
    SizeF client;
    bool maximised;
    RectF panel, messages, edit;
  };
  const Case cases[] = {
      {{1000, 700}, false, {720, 116, 984, 684}, {732, 128, 972, 628}, {732, 638, 972, 672}},
      {{1000, 700}, true, {720, 116, 1000, 700}, {732, 128, 988, 644}, {732, 654, 988, 688}},
      // Too low for both: the edit box keeps its height, the list shrinks to nothing.
      {{1000, 150}, false, {720, 116, 984, 134}, {732, 128, 972, 128}, {732, 128, 972, 162}},
  };
  for (const Case& c : cases) {
    const ViewerOverlayLayout l = layoutViewerOverlay({c.client, 150, 1, c.maximised, true});
    ASSERT_TRUE(l.chatShown);
    EXPECT_EQ(l.chat.panel, c.panel) << l.chat.panel;
    EXPECT_EQ(l.chat.messages, c.messages) << l.chat.messages;
    EXPECT_EQ(l.chat.edit, c.edit) << l.chat.edit;
  }
  const ViewerOverlayLayout l = layoutViewerOverlay({{1000, 700}, 150, 1, false, true});
  EXPECT_EQ(l.chat.emptyText, (RectF{736, 128, 968, 160}));
}

TEST(UiViewerOverlayTest, NarrowWindowKeepsTheNameRectangleUpright) {
  const ViewerOverlayLayout l = layoutViewerOverlay({{300, 420}, 280, 8, false, false});
  EXPECT_GE(l.remoteName.right, l.remoteName.left);
  EXPECT_EQ(l.tabs.size(), 8u);
}

TEST(UiViewerOverlayTest, ButtonColours) {
  struct Case {
    bool selected, hovered;
    OverlayButtonColours colours;
  };
  const Case cases[] = {
      {true, false, {kAccentColour, kWhiteColour}},
      {true, true, {kAccentHoverColour, kWhiteColour}},
      {false, false, {kSecondaryButtonColour, kTextColour}},
      {false, true, {kSecondaryButtonHoverColour, kTextColour}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(overlayButtonColours(c.selected, c.hovered), c.colours) << c.selected << c.hovered;
  }
}

}  // namespace
}  // namespace px
