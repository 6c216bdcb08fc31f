#include "host/access_prompt_state.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace px {
namespace {

using R = PromptRegion;

TEST(AccessPromptRegions, PointsMapToTheirRegionsAndTheCaptionDrags) {
  const struct {
    float x, y;
    R region;
    bool drags;
  } cases[] = {
      {300, 304, R::kAccept, false},      // top-left corner is inside
      {431.9f, 343.9f, R::kAccept, false},
      {432, 320, R::kNone, false},         // right edge is outside
      {168, 310, R::kRefuse, false},
      {290, 320, R::kNone, false},         // the gap between the buttons
      {28, 230, R::kControl, false},
      {431, 255.5f, R::kControl, false},
      {412, 0, R::kClose, false},
      {459, 47, R::kClose, false},
      {100, 10, R::kNone, true},           // caption strip
      {411, 47.9f, R::kNone, true},
      {100, 48, R::kNone, false},          // below the caption
  };
  for (const auto& c : cases) {
    EXPECT_EQ(promptRegionAt(c.x, c.y), c.region) << c.x << "," << c.y;
    EXPECT_EQ(promptDragsAt(c.x, c.y), c.drags) << c.x << "," << c.y;
  }
}

struct Outcome {
  bool closed, accepted, control;
};

// A user's gestures, as events on a fresh prompt.
Outcome play(const std::function<void(AccessPromptState&)>& gestures) {
  AccessPromptState prompt;
  gestures(prompt);
  return {prompt.closed(), prompt.accepted(), prompt.allowControl()};
}

void click(AccessPromptState& p, R region) {
  p.buttonDown(region);
  p.buttonUp(region);
}

TEST(AccessPromptState, GesturesGiveTheirAnswers) {
  const struct {
    const char* name;
    std::function<void(AccessPromptState&)> gestures;
    Outcome expected;
  } cases[] = {
      {"accept with control (checked at start)", [](auto& p) { click(p, R::kAccept); },
       {true, true, true}},
      {"accept view-only", [](auto& p) { click(p, R::kControl); click(p, R::kAccept); },
       {true, true, false}},
      {"refuse", [](auto& p) { click(p, R::kRefuse); }, {true, false, true}},
      {"close region refuses", [](auto& p) { click(p, R::kClose); }, {true, false, true}},
      {"Enter refuses", [](auto& p) { p.key(PromptKey::kEnter); }, {true, false, true}},
      {"Escape refuses", [](auto& p) { p.key(PromptKey::kEscape); }, {true, false, true}},
      {"other keys do nothing", [](auto& p) { p.key(PromptKey::kOther); }, {false, false, true}},
      {"Alt+F4 / window close refuses", [](auto& p) { p.closeRequested(); }, {true, false, true}},
      {"press on accept, release on refuse: nothing",
       [](auto& p) { p.buttonDown(R::kAccept); p.buttonUp(R::kRefuse); }, {false, false, true}},
      {"press on refuse, release on accept: nothing",
       [](auto& p) { p.buttonDown(R::kRefuse); p.buttonUp(R::kAccept); }, {false, false, true}},
      {"the first answer stands",
       [](auto& p) { click(p, R::kRefuse); click(p, R::kAccept); }, {true, false, true}},
      {"44 ticks leave it open", [](auto& p) { for (int i = 0; i < 44; ++i) p.tick(); },
       {false, false, true}},
      {"the 45th tick refuses", [](auto& p) { for (int i = 0; i < 45; ++i) p.tick(); },
       {true, false, true}},
  };
  for (const auto& c : cases) {
    const Outcome got = play(c.gestures);
    EXPECT_EQ(got.closed, c.expected.closed) << c.name;
    EXPECT_EQ(got.accepted, c.expected.accepted) << c.name;
    EXPECT_EQ(got.control, c.expected.control) << c.name;
  }
}

TEST(AccessPromptState, HoverAndCountdownAskForRepaintsOnlyWhenSomethingChanged) {
  AccessPromptState p;
  EXPECT_TRUE(p.mouseMove(R::kAccept));
  EXPECT_FALSE(p.mouseMove(R::kAccept));
  EXPECT_EQ(p.hover(), R::kAccept);
  EXPECT_TRUE(p.mouseLeave());
  EXPECT_EQ(p.hover(), R::kNone);
  EXPECT_TRUE(p.tick());
  EXPECT_EQ(p.secondsLeft(), 44);
  click(p, R::kAccept);
  EXPECT_FALSE(p.tick()) << "a closed prompt no longer counts down";
  EXPECT_EQ(p.secondsLeft(), 44);
}

TEST(AccessPromptTexts, NameIdAndCountdown) {
  EXPECT_EQ(promptRequesterName(""), "Desconhecido");
  EXPECT_EQ(promptRequesterName("Ana"), "Ana");
  EXPECT_EQ(promptIdLine(""), "");
  EXPECT_EQ(promptIdLine("123456789"), "ID 123456789");
  EXPECT_EQ(promptCountdownText(45), "Recusa automática em 45 s");
  EXPECT_EQ(promptCountdownText(1), "Recusa automática em 1 s");
}

}  // namespace
}  // namespace px
