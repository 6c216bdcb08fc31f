#include "ui/card_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "geometry_print.h"

namespace px {
namespace {

constexpr int64_t kNow = 1700000000;

std::vector<Card> cards(size_t count, size_t favourites = 0) {
  std::vector<Card> out;
  for (size_t i = 0; i < count; ++i) {
    out.push_back({std::to_string(100000000 + i), "PC " + std::to_string(i), kNow - 120,
                   i < favourites});
  }
  return out;
}

bool inside(const RectF& inner, const RectF& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

TEST(UiCardLayoutTest, CardsFlowIntoRowsThatStopAboveTheStatusStrip) {
  struct Case {
    SizeF client;
    size_t count;
    size_t drawn;
    size_t perRow;
  };
  const Case cases[] = {
      {{920, 700}, 10, 4, 4},   // initial home size: one row fits above 660
      {{720, 640}, 10, 3, 3},   // minimum size
      {{802, 730}, 10, 8, 4},   // fourth card ends exactly at W − 28; second row exactly at H − 40
      {{801, 729}, 10, 3, 3},   // one DIP less each way
      {{920, 884}, 60, 12, 4},  // three rows
      {{920, 700}, 2, 2, 4},
      {{920, 700}, 0, 0, 4},
      {{920, 535}, 5, 0, 4},    // not even one row fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.client.width << "x" << c.client.height);
    const std::vector<RectF> frames = cardFrames(c.client, c.count);
    ASSERT_EQ(frames.size(), c.drawn);
    for (size_t i = 0; i < frames.size(); ++i) {
      const float x = 28 + float(i % c.perRow) * 190, y = 400 + float(i / c.perRow) * 154;
      EXPECT_EQ(frames[i], (RectF{x, y, x + 176, y + 136})) << i;
      EXPECT_LE(frames[i].right, c.client.width - 28);
      EXPECT_LE(frames[i].bottom, c.client.height - 40);
    }
  }
}

TEST(UiCardLayoutTest, TooNarrowWindowStillPlacesOneCardPerRow) {
  const std::vector<RectF> frames = cardFrames({200, 1000}, 3);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[1], (RectF{28, 554, 204, 690}));
}

TEST(UiCardLayoutTest, NoCardsShowsTheHintAndRegistersNothing) {
  const CardSectionLayout l = layoutCardSection({920, 700}, {}, kNow, {});
  EXPECT_STREQ(l.headingText, "Conexões recentes");
  EXPECT_EQ(l.heading, (RectF{28, 370, 892, 392}));
  EXPECT_TRUE(l.showNoCardsHint);
  EXPECT_GE(l.noCardsHint.top, l.heading.bottom);
  HitRegionList regions;
  addCardRegions(l, regions);
  EXPECT_TRUE(regions.regions().empty());
}

TEST(UiCardLayoutTest, PartsOfACardStayInsideItsThumbnailAreaAndCaption) {
  const CardSectionLayout l = layoutCardSection({920, 700}, cards(1, 1), kNow, {});
  ASSERT_EQ(l.cards.size(), 1u);
  const CardLayout& c = l.cards[0];
  const RectF area{28, 400, 204, 500}, caption{28, 500, 204, 536};
  EXPECT_TRUE(inside(c.picture, area)) << c.picture;
  EXPECT_TRUE(inside(c.nameRect, caption)) << c.nameRect;
  EXPECT_TRUE(inside(c.ageRect, caption)) << c.ageRect;
  EXPECT_LE(c.nameRect.bottom, c.ageRect.top);
  EXPECT_EQ(c.star, (RectF{168, 404, 200, 436}));  // 32-DIP square at the top-right corner
  EXPECT_EQ(c.name, "PC 0");
  EXPECT_EQ(c.age, "2 min");
  EXPECT_EQ(c.thumbnail, nullptr);
  EXPECT_FALSE(l.showNoCardsHint);
  EXPECT_STREQ(l.headingText, "Favoritos e conexões recentes");
}

TEST(UiCardLayoutTest, StarGlyphFollowsTheFavouriteFlag) {
  const CardSectionLayout l = layoutCardSection({920, 700}, cards(2, 1), kNow, {});
  ASSERT_EQ(l.cards.size(), 2u);
  EXPECT_STREQ(l.cards[0].starGlyph, "★");
  EXPECT_EQ(l.cards[0].starGlyphColour, kAccentColour);
  EXPECT_STREQ(l.cards[1].starGlyph, "☆");
  EXPECT_EQ(l.cards[1].starGlyphColour, kTextColour);
}

// Hover comes from the previous paint's regions, as the mouse handler finds it.
TEST(UiCardLayoutTest, HoverOverCardOrStarColoursOnlyThatCard) {
  const std::vector<Card> list = cards(3);
  const SizeF client{920, 700};
  HitRegionList regions;
  addCardRegions(layoutCardSection(client, list, kNow, {}), regions);
  struct Case {
    const char* what;
    PointF mouse;
    int hoveredCard;  // -1 none
    bool starHovered;
  };
  const Case cases[] = {
      {"caption of the second card", {300, 520}, 1, false},
      {"star of the second card", {380, 410}, 1, true},
      {"thumbnail of the first card", {40, 450}, 0, false},
      {"gap between cards", {210, 450}, -1, false},
      {"heading", {100, 380}, -1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const HoverState hover = hoverAt(c.mouse, client.width, true, regions);
    const CardSectionLayout l = layoutCardSection(client, list, kNow, hover);
    for (int i = 0; i < 3; ++i) {
      const bool hovered = i == c.hoveredCard;
      EXPECT_EQ(l.cards[i].border, hovered ? kAccentColour : kSeparatorColour) << i;
      EXPECT_EQ(l.cards[i].starFill, hovered && c.starHovered ? kSecondaryButtonHoverColour
                                                              : kBackgroundColour)
          << i;
    }
  }
}

TEST(UiCardLayoutTest, RegionsPutEachStarBeforeItsCardAndLeaveUndrawnCardsOut) {
  const CardSectionLayout l = layoutCardSection({920, 700}, cards(6), kNow, {});
  HitRegionList regions;
  addCardRegions(l, regions);
  ASSERT_EQ(regions.regions().size(), 8u);  // four cards drawn, two regions each
  for (size_t i = 0; i < 4; ++i) {
    const std::string id = std::to_string(100000000 + i);
    EXPECT_EQ(regions.regions()[2 * i].kind, HitKind::kCardStar);
    EXPECT_EQ(regions.regions()[2 * i].key, id);
    EXPECT_EQ(regions.regions()[2 * i + 1].kind, HitKind::kCard);
    EXPECT_EQ(regions.regions()[2 * i + 1].key, id);
  }
  struct Case {
    PointF point;
    ClickAction action;
    const char* key;
  };
  const Case clicks[] = {
      {{199, 404}, ClickAction::kToggleFavourite, "100000000"},  // star, inside the card too
      {{200, 404}, ClickAction::kConnectToCard, "100000000"},    // star's right edge excluded
      {{600, 535}, ClickAction::kConnectToCard, "100000003"},
      {{600, 536}, ClickAction::kNone, ""},                      // card's bottom edge excluded
      {{40, 600}, ClickAction::kNone, ""},                       // where a fifth card would be
  };
  for (const Case& c : clicks) {
    const ClickDecision d = clickAt(c.point, 920, true, regions);
    EXPECT_EQ(d.action, c.action) << c.point;
    EXPECT_EQ(d.key, c.key) << c.point;
  }
}

}  // namespace
}  // namespace px
