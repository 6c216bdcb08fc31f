#include "ui/compact_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "geometry_print.h"
#include "ui/dip.h"
#include "ui/main_mouse.h"
#include "ui/theme.h"

namespace px {
namespace {

CompactViewInput input(bool active, bool chatOpen, std::string_view id = "123456789") {
  CompactViewInput in;
  in.client = {560, 300};
  in.sessionActive = active;
  in.chatWindowOpen = chatOpen;
  in.id = id;
  in.relayRegistered = true;
  in.measures.groupWidths = {60, 62, 58};
  in.measures.unknownWidth = 100;
  in.passwordLinkTextWidth = 160;
  return in;
}

TEST(UiCompactLayoutTest, CardTopCentresTheContent) {
  struct Case {
    float height;
    bool active;
    float top;
  };
  const Case cases[] = {
      {300, false, 105}, {300, true, 91},     {200, false, 60}, {200, true, 60},
      {400, false, 155}, {301, false, 105.5f}, {210, false, 60}, {212, false, 61},
  };
  for (const Case& c : cases) {
    EXPECT_FLOAT_EQ(compactCardTop(c.height, c.active), c.top) << c.height << " " << c.active;
  }
}

TEST(UiCompactLayoutTest, FixedRectanglesAt560By300) {
  const CompactLayout l = layoutCompactView(input(false, false));
  struct Case {
    const char* what;
    RectF got, expected;
  };
  const Case cases[] = {
      {"Acessar", l.accessButton, {350, 10, 458, 38}},
      {"first field", l.overlay.firstField, {28, 88, 532, 124}},
      {"second field", l.overlay.secondField, {28, 134, 532, 170}},
      {"primary", l.overlay.primaryButton, {420, 184, 532, 218}},
      {"secondary", l.overlay.secondaryButton, {324, 184, 410, 218}},
      {"check box", l.overlay.checkBox, {28, 191, 48, 211}},
      {"link line", l.passwordLink.value().line, {28, 181, 532, 207}},
      {"link pill", l.passwordLink.value().pill, {188, 181, 372, 207}},
      {"status text", l.statusLine.text, {44, 266, 532, 286}},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.what << ": " << c.got;
  EXPECT_EQ(l.statusLine.dotCentre, (PointF{32, 275}));
  EXPECT_FLOAT_EQ(l.statusLine.dotRadius, 3.5f);
  EXPECT_FALSE(l.chatButton.has_value());
  EXPECT_FALSE(l.disconnectButton.has_value());
}

TEST(UiCompactLayoutTest, SessionButtonsDependOnTheChatWindowAndWidth) {
  struct Case {
    float width;
    bool chatOpen;
    std::optional<RectF> chat, disconnect;
  };
  const Case cases[] = {
      {560, false, std::nullopt, RectF{206, 185, 354, 221}},
      {560, true, RectF{159, 185, 243, 221}, RectF{253, 185, 401, 221}},
      {200, false, std::nullopt, RectF{28, 185, 176, 221}},
      {200, true, RectF{28, 185, 112, 221}, RectF{122, 185, 270, 221}},
  };
  for (const Case& c : cases) {
    CompactViewInput in = input(true, c.chatOpen);
    in.client.width = c.width;
    const CompactLayout l = layoutCompactView(in);
    EXPECT_EQ(l.chatButton, c.chat) << c.width << " " << c.chatOpen;
    EXPECT_EQ(l.disconnectButton, c.disconnect) << c.width << " " << c.chatOpen;
    EXPECT_FALSE(l.passwordLink.has_value()) << "no password link during a session";
  }
}

TEST(UiCompactLayoutTest, IdCardDigitsAreCentredInThreeMeasuredGroups) {
  struct Case {
    std::array<float, 3> widths;
    std::array<RectF, 3> groups;
  };
  const Case cases[] = {
      {{60, 62, 58}, {RectF{178, 123, 238, 163}, {250, 123, 312, 163}, {324, 123, 382, 163}}},
      {{0, 0, 0}, {RectF{175, 123, 237, 163}, {249, 123, 311, 163}, {323, 123, 385, 163}}},
  };
  for (const Case& c : cases) {
    CompactViewInput in = input(false, false);
    in.measures.groupWidths = c.widths;
    const IdCardLayout card = layoutCompactView(in).card;
    ASSERT_TRUE(card.showDigits);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(card.groups[i], c.groups[i]) << i << ": " << card.groups[i];
    EXPECT_EQ(card.digits, (RectF{c.groups[0].left, 123, c.groups[2].right, 163}));
    EXPECT_EQ(card.indicatorCentre, (PointF{c.groups[2].right + 21.5f, 143}));
  }
  const IdCardLayout card = layoutCompactView(input(false, false)).card;
  EXPECT_EQ(card.groupTexts, (std::array<std::string, 3>{"123", "456", "789"}));
  EXPECT_EQ(card.label, (RectF{28, 105, 532, 123}));
  EXPECT_EQ(card.hint, (RectF{28, 163, 532, 181}));
}

TEST(UiCompactLayoutTest, UnknownIdShowsConnectingAndTheIndicatorFollowsTheRelay) {
  struct Case {
    std::string_view id;
    bool registered;
    bool digits;
    float radius;
    size_t checkLines;
  };
  const Case cases[] = {
      {"123456789", true, true, 7.5f, 2},
      {"123456789", false, true, 4.5f, 0},
      {"", false, false, 4.5f, 0},
  };
  for (const Case& c : cases) {
    CompactViewInput in = input(false, false, c.id);
    in.relayRegistered = c.registered;
    const IdCardLayout card = layoutCompactView(in).card;
    EXPECT_EQ(card.showDigits, c.digits) << c.id;
    EXPECT_FLOAT_EQ(card.indicatorRadius, c.radius) << c.id << " " << c.registered;
    EXPECT_EQ(card.checkMark.size(), c.checkLines);
    if (!c.digits) {
      EXPECT_EQ(card.unknown, (RectF{230, 123, 330, 163}));
    }
  }
}

TEST(UiCompactLayoutTest, RectanglesAt144Dpi) {
  CompactViewInput in = input(true, false);
  in.client = pixelsToDips(SizePx{840, 450}, 144);
  const CompactLayout l = layoutCompactView(in);
  EXPECT_EQ(dipsToPixels(l.accessButton, 144), (RectPx{525, 15, 687, 57}));
  EXPECT_EQ(dipsToPixels(*l.disconnectButton, 144), (RectPx{309, 278, 531, 332}));
  EXPECT_EQ(dipsToPixels(l.statusLine.text, 144), (RectPx{66, 399, 798, 429}));
  in.sessionActive = false;
  EXPECT_EQ(dipsToPixels(layoutCompactView(in).passwordLink->line, 144),
            (RectPx{42, 272, 798, 311}));
}

TEST(UiCompactLayoutTest, RegionsInPaintOrder) {
  struct Case {
    bool active, chatOpen, overlay;
    std::string_view id;
    std::vector<HitKind> kinds;
  };
  using K = HitKind;
  const Case cases[] = {
      {false, false, false, "123456789", {K::kAccessButton, K::kIdDigits, K::kPasswordLink}},
      {false, false, false, "", {K::kAccessButton, K::kPasswordLink}},
      {true, false, false, "123456789", {K::kAccessButton, K::kIdDigits, K::kDisconnect}},
      {true, true, false, "123456789", {K::kAccessButton, K::kIdDigits, K::kChat, K::kDisconnect}},
      {false, false, true, "123456789", {K::kAccessButton}},
  };
  for (const Case& c : cases) {
    CompactViewInput in = input(c.active, c.chatOpen, c.id);
    in.overlayOpen = c.overlay;
    HitRegionList regions;
    addCompactRegions(layoutCompactView(in), c.id, regions);
    std::vector<HitKind> kinds;
    for (const HitRegion& r : regions.regions()) kinds.push_back(r.kind);
    EXPECT_EQ(kinds, c.kinds) << c.active << c.chatOpen << c.overlay << " '" << c.id << "'";
  }
}

TEST(UiCompactLayoutTest, ClicksOnTheCompactView) {
  HitRegionList idle, session;
  addCompactRegions(layoutCompactView(input(false, false)), "123456789", idle);
  addCompactRegions(layoutCompactView(input(true, true)), "123456789", session);
  struct Case {
    const HitRegionList* regions;
    PointF p;
    ClickAction action;
    int command;
    std::string key;
    std::string_view status;
  };
  const Case cases[] = {
      {&idle, {200, 140}, ClickAction::kCopyId, 0, "123456789", "ID copiado"},
      {&idle, {177, 140}, ClickAction::kNone, 0, "", ""},
      {&idle, {400, 20}, ClickAction::kEnterHomeScreen, 0, "", ""},
      {&idle, {30, 190}, ClickAction::kOpenPasswordScreen, 0, "", ""},
      {&idle, {500, 20}, ClickAction::kPressCaptionButton, 0, "", ""},
      {&session, {160, 200}, ClickAction::kCommand, kChatCommand, "", ""},
      {&session, {253, 200}, ClickAction::kCommand, kDisconnectCommand, "", ""},
      {&session, {248, 200}, ClickAction::kNone, 0, "", ""},
  };
  for (const Case& c : cases) {
    const ClickDecision d = clickAt(c.p, 560, false, *c.regions);
    EXPECT_EQ(d.action, c.action) << c.p.x << "," << c.p.y;
    EXPECT_EQ(d.command, c.command) << c.p.x << "," << c.p.y;
    EXPECT_EQ(d.key, c.key) << c.p.x << "," << c.p.y;
    EXPECT_EQ(d.status, c.status) << c.p.x << "," << c.p.y;
  }
}

TEST(UiCompactLayoutTest, LinkTextAndButtonColours) {
  CompactViewInput in = input(false, false);
  in.passwordSet = true;
  EXPECT_STREQ(layoutCompactView(in).passwordLink->text, "Senha de acesso definida · alterar");
  EXPECT_FALSE(layoutCompactView(in).passwordLink->accentText);
  in.passwordSet = false;
  EXPECT_STREQ(layoutCompactView(in).passwordLink->text, "Definir senha de acesso");
  EXPECT_TRUE(layoutCompactView(in).passwordLink->accentText);
  in.passwordLinkTextWidth = 1000;  // never wider than its line
  EXPECT_EQ(layoutCompactView(in).passwordLink->pill, (RectF{28, 181, 532, 207}));

  struct FillCase {
    bool overlay, hovered;
    Rgb fill;
  };
  const FillCase fills[] = {{false, false, kAccentColour},
                            {false, true, kAccentHoverColour},
                            {true, true, kSecondaryButtonColour}};
  for (const FillCase& f : fills) EXPECT_EQ(accessButtonFill(f.overlay, f.hovered), f.fill);
  EXPECT_EQ(sessionButtonTextColour(HitKind::kDisconnect), kNegativeColour);
  EXPECT_EQ(sessionButtonTextColour(HitKind::kChat), kTextColour);
}

TEST(UiCompactLayoutTest, IdTextFormatting) {
  struct Case {
    std::string_view id, shown;
  };
  const Case cases[] = {
      {"123456789", "123 456 789"}, {"", ""}, {"12345678", "12345678"}, {"1234567890", "1234567890"},
  };
  for (const Case& c : cases) EXPECT_EQ(formatIdForDisplay(c.id), c.shown) << c.id;
  EXPECT_EQ(idDigitGroups("12345"), (std::array<std::string, 3>{"123", "45", ""}));
}

}  // namespace
}  // namespace px
