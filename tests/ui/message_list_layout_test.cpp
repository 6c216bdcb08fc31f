#include "ui/message_list_layout.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry_print.h"

namespace px {
namespace {

// 7 DIPs a character, 16 a line, wrapped at the width given.
SizeF fakeMeasure(std::u16string_view text, float maxWidth) {
  const float natural = 7.0f * float(text.size());
  const float lines = std::max(1.0f, std::ceil(natural / maxWidth));
  return {std::min(natural, maxWidth), 16 * lines};
}

const RectF kArea{12, 72, 328, 422};

TEST(UiMessageListTest, NewestAtTheBottomSentOnTheRight) {
  const std::deque<ChatEntry> entries{{false, u"oi"}, {true, u"tudo bem?"}};
  const auto bubbles = layoutMessageList(entries, kArea, fakeMeasure);
  ASSERT_EQ(bubbles.size(), 2u);
  struct Case {
    size_t index;
    bool local;
    RectF bubble, text;
  };
  const Case cases[] = {
      {0, false, {12, 360, 46, 388}, {22, 366, 36, 382}},
      {1, true, {245, 394, 328, 422}, {255, 400, 318, 416}},
  };
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(bubbles[i].index, cases[i].index);
    EXPECT_EQ(bubbles[i].local, cases[i].local);
    EXPECT_EQ(bubbles[i].bubble, cases[i].bubble) << i;
    EXPECT_EQ(bubbles[i].text, cases[i].text) << i;
  }
}

TEST(UiMessageListTest, LongLinesWrapAtFourFifthsOfTheWidth) {
  const std::deque<ChatEntry> entries{{false, std::u16string(100, u'a')}};
  const auto bubbles = layoutMessageList(entries, kArea, fakeMeasure);
  ASSERT_EQ(bubbles.size(), 1u);
  EXPECT_FLOAT_EQ(bubbles[0].bubble.width(), 316 * 0.8f);
  EXPECT_FLOAT_EQ(bubbles[0].text.height(), 64);  // four lines
  EXPECT_FLOAT_EQ(bubbles[0].bubble.top, 422 - 64 - 12);
}

// The drawing code lays text out at messageTextWidth; the list must measure at that same width,
// or a line would wrap differently from its bubble.
TEST(UiMessageListTest, MeasuresAtTheWidthTheTextIsDrawnAt) {
  struct Case {
    RectF area;
    float textWidth;
  };
  const Case cases[] = {
      {kArea, 316 * 0.8f - 20},
      {{0, 0, 100, 50}, 60},
      {{0, 0, 10, 50}, 1},  // never narrower than one DIP of text
  };
  const std::deque<ChatEntry> entries{{true, u"uma linha"}};
  for (const Case& c : cases) {
    float measuredAt = -1;
    layoutMessageList(entries, c.area, [&](std::u16string_view t, float w) {
      measuredAt = w;
      return fakeMeasure(t, w);
    });
    EXPECT_FLOAT_EQ(messageTextWidth(c.area), c.textWidth) << c.area;
    EXPECT_FLOAT_EQ(measuredAt, c.textWidth) << c.area;
  }
}

TEST(UiMessageListTest, AFloodMeasuresOnlyWhatIsVisible) {
  std::deque<ChatEntry> entries;
  for (int i = 0; i < 200; ++i) entries.push_back({i % 2 == 1, u"ok"});
  int measured = 0;
  const auto bubbles = layoutMessageList(entries, kArea, [&](std::u16string_view t, float w) {
    ++measured;
    return fakeMeasure(t, w);
  });
  // Each bubble takes 28 + 6 DIPs; the eleventh is cut by the top edge.
  ASSERT_EQ(bubbles.size(), 11u);
  EXPECT_EQ(measured, 11);
  EXPECT_EQ(bubbles.front().index, 189u);
  EXPECT_EQ(bubbles.back().index, 199u);
  EXPECT_LT(bubbles.front().bubble.top, kArea.top);
  EXPECT_GT(bubbles.front().bubble.bottom, kArea.top);
}

TEST(UiMessageListTest, DrawsTheDisplayTextAndSurvivesAFailedMeasure) {
  const std::deque<ChatEntry> entries{{false, u"a\x1b" u"b"}};
  const auto bubbles = layoutMessageList(entries, kArea, [](std::u16string_view, float) {
    return SizeF{};
  });
  ASSERT_EQ(bubbles.size(), 1u);
  EXPECT_EQ(bubbles[0].display, u"a\u241b" u"b");
  EXPECT_FLOAT_EQ(bubbles[0].text.height(), kBubbleFallbackLineHeight);
  EXPECT_TRUE(layoutMessageList({}, kArea, fakeMeasure).empty());
}

}  // namespace
}  // namespace px
