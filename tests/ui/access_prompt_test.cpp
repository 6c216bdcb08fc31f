#include <gtest/gtest.h>

#include "geometry_print.h"
#include "ui/access_prompt_layout.h"
#include "ui/access_prompt_model.h"
#include "ui/dip.h"

namespace px {
namespace {

TEST(UiAccessPromptTest, RegionsAtTheirEdges) {
  using R = PromptRegion;
  struct Case {
    PointF p;
    R region;
  };
  const Case cases[] = {
      {{412, 0}, R::kClose},       {{459.9f, 47.9f}, R::kClose}, {{411.9f, 10}, R::kNone},
      {{420, 48}, R::kNone},       {{300, 304}, R::kAccept},     {{431.9f, 343.9f}, R::kAccept},
      {{432, 320}, R::kNone},      {{299.9f, 320}, R::kNone},    {{288, 320}, R::kNone},
      {{287.9f, 320}, R::kRefuse}, {{168, 304}, R::kRefuse},     {{167.9f, 320}, R::kNone},
      {{28, 230}, R::kControl},    {{431.9f, 255.9f}, R::kControl}, {{100, 256}, R::kNone},
      {{27.9f, 240}, R::kNone},    {{200, 100}, R::kNone},
  };
  for (const Case& c : cases) EXPECT_EQ(promptRegionAt(c.p), c.region) << c.p;
}

TEST(UiAccessPromptTest, TopStripDragsExceptTheCloseBox) {
  struct Case {
    PointF p;
    FrameHit hit;
  };
  const Case cases[] = {
      {{0, 0}, FrameHit::kCaption},     {{411.9f, 47.9f}, FrameHit::kCaption},
      {{412, 10}, FrameHit::kClient},   {{200, 48}, FrameHit::kClient},
      {{200, 330}, FrameHit::kClient},
  };
  for (const Case& c : cases) EXPECT_EQ(promptFrameHit(c.p), c.hit) << c.p;
}

TEST(UiAccessPromptTest, DpiAndWindowPlacement) {
  struct DpiCase {
    int mainDpi, systemDpi, dpi;
  };
  const DpiCase dpis[] = {{144, 96, 144}, {0, 120, 120}, {0, 0, 96}};
  for (const DpiCase& c : dpis) EXPECT_EQ(promptDpi(c.mainDpi, c.systemDpi), c.dpi);

  struct Case {
    RectPx workArea;
    int dpi;
    RectPx window;
  };
  const Case cases[] = {
      {{0, 0, 1920, 1040}, 96, {730, 340, 1190, 700}},
      {{0, 0, 1920, 1040}, 144, {615, 250, 1305, 790}},
      {{1920, 0, 3840, 1040}, 144, {2535, 250, 3225, 790}},
      {{0, 0, 461, 361}, 96, {0, 0, 460, 360}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(promptWindowRect(c.workArea, c.dpi), c.window) << c.dpi << " " << c.workArea;
  }
}

TEST(UiAccessPromptTest, ButtonsInPixels) {
  struct Case {
    RectF box;
    int dpi;
    RectPx pixels;
  };
  const Case cases[] = {
      {kPromptAcceptBox, 96, {300, 304, 432, 344}},
      {kPromptAcceptBox, 144, {450, 456, 648, 516}},
      {kPromptRefuseBox, 144, {252, 456, 432, 516}},
      {kPromptCloseBox, 144, {618, 0, 690, 72}},
      {kPromptControlRow, 120, {35, 288, 540, 320}},
  };
  for (const Case& c : cases) EXPECT_EQ(dipsToPixels(c.box, c.dpi), c.pixels) << c.box;
}

TEST(UiAccessPromptTest, Texts) {
  EXPECT_EQ(promptDisplayName(""), "Desconhecido");
  EXPECT_EQ(promptDisplayName("Ana Souza"), "Ana Souza");
  EXPECT_EQ(promptIdLine("123456789"), "ID 123456789");
  EXPECT_EQ(promptIdLine(""), "");
  EXPECT_EQ(promptCountdownText(45), "Recusa automática em 45 s");
  EXPECT_EQ(promptCountdownText(1), "Recusa automática em 1 s");
}

TEST(UiAccessPromptTest, WithoutAnIdTheTextMovesUp24) {
  struct Case {
    bool hasId;
    RectF wants, warning;
  };
  const Case cases[] = {
      {true, {28, 160, 432, 182}, {28, 186, 432, 228}},
      {false, {28, 136, 432, 158}, {28, 162, 432, 204}},
  };
  for (const Case& c : cases) {
    const PromptLayout l = layoutPrompt(c.hasId);
    EXPECT_EQ(l.showIdLine, c.hasId);
    EXPECT_EQ(l.wantsAccess, c.wants) << c.hasId;
    EXPECT_EQ(l.warning, c.warning) << c.hasId;
  }
}

TEST(UiAccessPromptTest, NobodyAnswersRefusedAfter45Ticks) {
  AccessPromptModel m;
  for (int i = 0; i < 44; ++i) ASSERT_EQ(m.onTimer(), PromptReaction::kRepaint) << i;
  EXPECT_EQ(m.secondsLeft(), 1);
  EXPECT_EQ(m.onTimer(), PromptReaction::kClose);
  EXPECT_TRUE(m.closed());
  EXPECT_FALSE(m.accepted());
  EXPECT_EQ(m.onTimer(), PromptReaction::kNone);
}

struct Click {
  PointF down, up;
};

struct Outcome {
  bool closed, accepted, allowControl;
};

TEST(UiAccessPromptTest, ClickSequences) {
  const PointF accept{350, 320}, refuse{200, 320}, control{100, 240}, close{440, 20}, empty{200, 100};
  struct Case {
    const char* what;
    std::vector<Click> clicks;
    Outcome outcome;
  };
  const Case cases[] = {
      {"accept", {{accept, accept}}, {true, true, true}},
      {"refuse", {{refuse, refuse}}, {true, false, true}},
      {"close box", {{close, close}}, {true, false, true}},
      {"press accept, release on refuse", {{accept, refuse}}, {false, false, true}},
      {"press empty, release on accept", {{empty, accept}}, {false, false, true}},
      {"uncheck then accept", {{control, control}, {accept, accept}}, {true, true, false}},
      {"toggle twice", {{control, control}, {control, control}}, {false, false, true}},
      {"after refusing nothing changes", {{refuse, refuse}, {accept, accept}}, {true, false, true}},
  };
  for (const Case& c : cases) {
    AccessPromptModel m;
    for (const Click& k : c.clicks) {
      m.onButtonDown(k.down);
      m.onButtonUp(k.up);
    }
    EXPECT_EQ(m.closed(), c.outcome.closed) << c.what;
    EXPECT_EQ(m.accepted(), c.outcome.accepted) << c.what;
    EXPECT_EQ(m.allowControl(), c.outcome.allowControl) << c.what;
  }
}

TEST(UiAccessPromptTest, KeysAndCloseRefuseOnce) {
  AccessPromptModel m;
  EXPECT_EQ(m.onRefuseKeyOrClose(), PromptReaction::kClose);
  EXPECT_FALSE(m.accepted());
  EXPECT_EQ(m.onRefuseKeyOrClose(), PromptReaction::kNone);
}

TEST(UiAccessPromptTest, HoverAndPressFills) {
  AccessPromptModel m;
  EXPECT_EQ(m.acceptFill(), kAccentColour);
  EXPECT_EQ(m.onMouseMove({350, 320}), PromptReaction::kRepaint);
  EXPECT_EQ(m.onMouseMove({351, 321}), PromptReaction::kNone);
  EXPECT_EQ(m.acceptFill(), kAccentHoverColour);
  m.onButtonDown({350, 320});
  EXPECT_EQ(m.acceptFill(), kAccentDarkColour);
  m.onMouseMove({200, 320});
  EXPECT_EQ(m.refuseFill(), kSecondaryButtonHoverColour);
  EXPECT_EQ(m.acceptFill(), kAccentDarkColour);  // still pressed while the mouse is captured
  m.onButtonUp({200, 320});
  EXPECT_EQ(m.acceptFill(), kAccentColour);
  m.onMouseMove({440, 20});
  EXPECT_TRUE(m.closeHovered());
  EXPECT_EQ(m.refuseFill(), kSecondaryButtonColour);
  m.onMouseLeave();
  EXPECT_EQ(m.hover(), PromptRegion::kNone);
}

}  // namespace
}  // namespace px
