#include "ui/home_layout.h"

#include <gtest/gtest.h>

#include "geometry_print.h"
#include "ui/frame_layout.h"
#include "ui/login_screen_layout.h"
#include "ui/main_mouse.h"

namespace px {
namespace {

HomeScreenInput homeInput(SizeF client, std::string_view id = "123456789") {
  HomeScreenInput in;
  in.client = client;
  in.id = id;
  in.relayRegistered = true;
  in.measures.groupWidths = {60, 62, 58};
  return in;
}

TEST(UiHomeLayoutTest, FixedRectanglesFollowTheWidth) {
  struct Case {
    const char* what;
    RectF (*get)(const HomeLayout&);
    RectF at920, at720;
  };
  const Case cases[] = {
      {"Sair", [](const HomeLayout& l) { return l.logoutButton; }, {708, 10, 772, 38}, {508, 10, 572, 38}},
      {"display name", [](const HomeLayout& l) { return l.displayName; }, {140, 0, 696, 48}, {140, 0, 496, 48}},
      {"connect panel", [](const HomeLayout& l) { return l.connectPanel; }, {28, 64, 892, 112}, {28, 64, 692, 112}},
      {"Conectar", [](const HomeLayout& l) { return l.connectButton; }, {768, 70, 886, 106}, {568, 70, 686, 106}},
      {"Chat", [](const HomeLayout& l) { return l.chatButton; }, {674, 70, 758, 106}, {474, 70, 558, 106}},
      {"remote password", [](const HomeLayout& l) { return l.remotePasswordPanel; }, {28, 122, 892, 162}, {28, 122, 692, 162}},
      {"ID card", [](const HomeLayout& l) { return l.card.card; }, {28, 184, 892, 260}, {28, 184, 692, 260}},
      {"unattended heading", [](const HomeLayout& l) { return l.unattendedHeading; }, {28, 268, 892, 290}, {28, 268, 692, 290}},
      {"new password", [](const HomeLayout& l) { return l.newPasswordField; }, {28, 296, 768, 336}, {28, 296, 568, 336}},
      {"Salvar", [](const HomeLayout& l) { return l.saveButton; }, {782, 296, 892, 336}, {582, 296, 692, 336}},
      {"hint", [](const HomeLayout& l) { return l.unattendedHint; }, {28, 340, 892, 362}, {28, 340, 692, 362}},
  };
  const HomeLayout wide = layoutHomeScreen(homeInput({920, 700}));
  const HomeLayout narrow = layoutHomeScreen(homeInput({720, 640}));
  for (const Case& c : cases) {
    EXPECT_EQ(c.get(wide), c.at920) << c.what << ": " << c.get(wide);
    EXPECT_EQ(c.get(narrow), c.at720) << c.what << ": " << c.get(narrow);
  }
  EXPECT_EQ(wide.cardsTop, 370);
  EXPECT_EQ(wide.statusLine.text, (RectF{44, 666, 892, 686}));
  // "Sair" keeps 10 DIPs from the minimise button, which sits left of maximise on this screen.
  EXPECT_EQ(wide.logoutButton.right + 10,
            captionButtonRect(CaptionButton::kMinimise, 920, true)->left);
}

TEST(UiHomeLayoutTest, RegionsMakeSairAndTheIdClickable) {
  struct Case {
    const char* name;
    PointF point;
    ClickAction click;
    HitKind hover;
  };
  const Case cases[] = {
      {"Sair", {740, 24}, ClickAction::kLogout, HitKind::kLogout},
      {"Sair's left edge", {708, 10}, ClickAction::kLogout, HitKind::kLogout},
      {"left of Sair", {707, 24}, ClickAction::kNone, HitKind::kNone},
      {"ID digits", {460, 222}, ClickAction::kCopyId, HitKind::kNone},
      {"the display name", {600, 24}, ClickAction::kNone, HitKind::kNone},
  };
  const HomeLayout l = layoutHomeScreen(homeInput({920, 700}));
  HitRegionList regions;
  addHomeRegions(l, "123456789", regions);
  ASSERT_EQ(regions.regions().size(), 2u);
  EXPECT_EQ(regions.regions()[0].kind, HitKind::kLogout);
  for (const Case& c : cases) {
    const ClickDecision click = clickAt(c.point, 920, true, regions);
    EXPECT_EQ(click.action, c.click) << c.name;
    if (c.click == ClickAction::kCopyId) {
      EXPECT_EQ(click.key, "123456789");
    }
    EXPECT_EQ(hoverAt(c.point, 920, true, regions).hoverKind, c.hover) << c.name;
  }
}

TEST(UiHomeLayoutTest, SairIsClientAreaWhileTheRestOfTheStripDrags) {
  const HomeLayout l = layoutHomeScreen(homeInput({920, 700}, ""));
  HitRegionList regions;
  addHomeRegions(l, "", regions);
  ASSERT_EQ(regions.regions().size(), 1u) << "no digits while the ID is unknown";
  // 920 × 700 DIPs at 144 DPI, at screen position (0, 0).
  FrameHitInput in{{0, 0, 1380, 1050}, {0, 0, 1380, 1050}, {}, 144, false, true, &regions};
  struct Case {
    PointPx point;
    FrameHit expected;
  };
  const Case cases[] = {{{1110, 36}, FrameHit::kClient},   // "Sair" (740, 24) in DIPs
                        {{1050, 36}, FrameHit::kCaption},  // left of it
                        {{600, 36}, FrameHit::kCaption}};
  for (const Case& c : cases) {
    in.point = c.point;
    EXPECT_EQ(frameHitTest(in), c.expected) << c.point.x;
  }
}

TEST(UiLoginLayoutTest, ButtonsAndRememberRegion) {
  struct Case {
    bool inProgress;
    float labelWidth;
    const char* submitText;
    std::vector<HitKind> kinds;
    RectF remember;
  };
  const Case cases[] = {
      {false, 150, "Entrar", {HitKind::kRememberLogin, HitKind::kLoginBack, HitKind::kLoginSubmit},
       {28, 191, 206, 211}},
      {true, 150, "Entrando...", {HitKind::kRememberLogin, HitKind::kLoginBack}, {28, 191, 206, 211}},
      // A label wider than the room left of "Voltar" is cut 10 DIPs before it.
      {false, 900, "Entrar", {HitKind::kRememberLogin, HitKind::kLoginBack, HitKind::kLoginSubmit},
       {28, 191, 314, 211}},
      {false, 0, "Entrar", {HitKind::kRememberLogin, HitKind::kLoginBack, HitKind::kLoginSubmit},
       {28, 191, 56, 211}},
  };
  for (const Case& c : cases) {
    const LoginScreenLayout l = layoutLoginScreen({560, 300}, c.inProgress, c.labelWidth);
    EXPECT_STREQ(l.submitText, c.submitText);
    EXPECT_EQ(l.rememberRegion, c.remember) << l.rememberRegion;
    HitRegionList regions;
    addLoginRegions(l, regions);
    std::vector<HitKind> kinds;
    for (const HitRegion& r : regions.regions()) kinds.push_back(r.kind);
    EXPECT_EQ(kinds, c.kinds);
  }
  const LoginScreenLayout l = layoutLoginScreen({560, 300}, false, 150);
  EXPECT_EQ(l.heading, (RectF{28, 58, 532, 80}));
  EXPECT_EQ(l.submitButton, (RectF{420, 184, 532, 218}));
  EXPECT_EQ(l.backButton, (RectF{324, 184, 410, 218}));
  EXPECT_EQ(l.error, (RectF{28, 224, 532, 246}));
  EXPECT_LE(l.error.bottom, 266) << "above the status line";
}

}  // namespace
}  // namespace px
