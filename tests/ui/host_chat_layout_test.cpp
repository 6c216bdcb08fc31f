#include "ui/host_chat_layout.h"

#include <gtest/gtest.h>

#include "geometry_print.h"
#include "ui/dip.h"

namespace px {
namespace {

TEST(UiHostChatTest, WindowPlacementTopRightOfTheWorkArea) {
  struct Case {
    RectPx workArea;
    int mainDpi;
    RectPx window;
  };
  const Case cases[] = {
      {{0, 0, 1920, 1040}, 96, {1564, 16, 1904, 496}},
      {{0, 0, 1920, 1040}, 144, {1386, 24, 1896, 744}},
      {{0, 0, 1920, 1040}, 0, {1564, 16, 1904, 496}},
      {{0, 0, 1920, 1040}, 72, {1564, 16, 1904, 496}},
      {{-1280, 40, 0, 1024}, 120, {-445, 60, -20, 660}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hostChatWindowRect(c.workArea, hostChatDpi(c.mainDpi)), c.window)
        << c.mainDpi << " " << c.workArea;
  }
}

TEST(UiHostChatTest, LayoutAt340By480) {
  const HostChatLayout l = layoutHostChat({340, 480});
  struct Case {
    const char* what;
    RectF got, expected;
  };
  const Case cases[] = {
      {"title", l.title, {16, 0, 292, 36}},       {"peer", l.peer, {16, 34, 324, 58}},
      {"messages", l.messages, {12, 72, 328, 422}}, {"empty", l.emptyText, {16, 76, 324, 108}},
      {"edit", l.edit, {12, 434, 328, 468}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what << ": " << c.got;
  EXPECT_EQ(l.closeGlyph[0], (LineF{{313, 15}, {323, 25}}));
  EXPECT_EQ(l.closeGlyph[1], (LineF{{323, 15}, {313, 25}}));
  EXPECT_EQ(l.separator, (LineF{{0, 64}, {340, 64}}));
}

TEST(UiHostChatTest, EditBoxFollowsTheSize) {
  struct Case {
    SizeF client;
    int dpi;
    RectPx editPixels;
  };
  const Case cases[] = {
      {{340, 480}, 96, {12, 434, 328, 468}},
      {pixelsToDips(SizePx{510, 720}, 144), 144, {18, 651, 492, 702}},
      {{50, 200}, 96, {12, 154, 52, 188}},  // never narrower than 40 DIPs
      {{20, 200}, 96, {12, 154, 52, 188}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dipsToPixels(layoutHostChat(c.client).edit, c.dpi), c.editPixels)
        << c.client.width << "x" << c.client.height << " at " << c.dpi;
  }
}

TEST(UiHostChatTest, ClicksInTheHeader) {
  struct Case {
    PointF p;
    HostChatClick click;
  };
  const Case cases[] = {
      {{339, 0}, HostChatClick::kHide},      {{300, 39.9f}, HostChatClick::kHide},
      {{299.9f, 10}, HostChatClick::kDrag},  {{300, 40}, HostChatClick::kDrag},
      {{10, 63.9f}, HostChatClick::kDrag},   {{10, 64}, HostChatClick::kNone},
      {{330, 100}, HostChatClick::kNone},    {{10, -1}, HostChatClick::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(hostChatClickAt(c.p, 340), c.click) << c.p;
}

}  // namespace
}  // namespace px
