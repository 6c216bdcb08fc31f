#include "ui/password_settings.h"

#include <gtest/gtest.h>

#include <optional>

#include "geometry_print.h"
#include "ui/password_settings_layout.h"
#include "ui/theme.h"

namespace px {
namespace {

constexpr auto kScreen = PasswordForm::kPasswordScreen;
constexpr auto kHome = PasswordForm::kHomeSection;

TEST(UiPasswordSettingsTest, TypedTextsGiveTheirError) {
  struct Case {
    PasswordForm form;
    const char* typed;
    const char* repeat;
    const char* error;  // "" for none
  };
  const Case cases[] = {
      {kScreen, "", "", "Digite a senha nas duas caixas"},
      {kScreen, "", "abcdefgh", "Digite a senha nas duas caixas"},
      {kScreen, "abcdefg", "abcdefg", "A senha precisa ter pelo menos 8 caracteres"},
      {kScreen, "abc", "abd", "As senhas não conferem"},  // before the length
      {kScreen, "abcdefghij", "abcdefghi", "As senhas não conferem"},
      {kScreen, "abcdefgh", "", "As senhas não conferem"},
      {kScreen, "abcdefgh", "abcdefgh", ""},
      {kScreen, "cafézin", "cafézin", ""},  // seven letters, eight bytes
      {kScreen, "cafézin", "cafezin", "As senhas não conferem"},
      {kHome, "", "", ""},                  // removes the password
      {kHome, "", "abcdefgh", ""},          // the repeat edit does not count here
      {kHome, "abcdefg", "", "A senha precisa ter pelo menos 8 caracteres"},
      {kHome, "a", "a", "A senha precisa ter pelo menos 8 caracteres"},
      {kHome, "abcdefgh", "outra coisa", ""},
      {kHome, "cafézin", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(accessPasswordInputError(c.form, c.typed, c.repeat), c.error)
        << (c.form == kScreen ? "screen " : "home ") << c.typed << " / " << c.repeat;
  }
}

TEST(UiPasswordSettingsTest, OutcomeOfEachCommand) {
  struct Case {
    const char* what;
    PasswordCommandOutcome got, expected;
  };
  const Case cases[] = {
      {"screen, error", passwordSaveOutcome(kScreen, kPasswordMismatchError, false),
       {"As senhas não conferem", "", false, false}},
      {"home, error", passwordSaveOutcome(kHome, kPasswordSaveFailedError, true),
       {"", "Não foi possível salvar a senha", false, false}},
      {"screen, saved", passwordSaveOutcome(kScreen, "", true),
       {"", "Senha de acesso definida", true, true}},
      {"home, saved", passwordSaveOutcome(kHome, "", true),
       {"", "Senha de acesso definida", true, false}},
      {"home, removed", passwordSaveOutcome(kHome, "", false),
       {"", "Senha de acesso removida", true, false}},
      {"Remover, done", passwordRemoveOutcome(true), {"", "Senha de acesso removida", true, true}},
      {"Remover, failed", passwordRemoveOutcome(false),
       {"", "Não foi possível remover a senha", true, true}},
      {"Voltar", passwordBackOutcome(), {"", "", true, true}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.got.screenError, c.expected.screenError);
    EXPECT_EQ(c.got.status, c.expected.status);
    EXPECT_EQ(c.got.emptyEdits, c.expected.emptyEdits);
    EXPECT_EQ(c.got.closeScreen, c.expected.closeScreen);
  }
}

TEST(UiPasswordSettingsTest, TextsFollowWhetherAPasswordIsSet) {
  EXPECT_STREQ(passwordScreenHeading(true), "Trocar a senha de acesso deste computador");
  EXPECT_STREQ(passwordScreenHeading(false),
               "Senha de acesso: quem tiver o código e a senha entra sem aceitar");
  EXPECT_STREQ(unattendedHint(true), "Senha definida. Quem tiver o ID e a senha entra sem aceitar.");
  EXPECT_STREQ(unattendedHint(false), "Sem senha. O acesso pede aceitação nesta tela.");
}

CompactOverlayRects overlayAt560() {
  CompactViewInput in;
  in.client = {560, 300};
  in.overlayOpen = true;
  return layoutCompactView(in).overlay;
}

TEST(UiPasswordSettingsTest, ScreenOffersRemoverOnlyWithAPasswordBesideVoltar) {
  for (bool set : {false, true}) {
    SCOPED_TRACE(set ? "password set" : "no password");
    const PasswordScreenLayout l =
        layoutPasswordScreen(overlayAt560(), 560, set, HitKind::kNone, PasswordEditFocus::kNone);
    EXPECT_EQ(l.heading, (RectF{28, 58, 532, 80}));
    EXPECT_EQ(l.newPassword.rect, (RectF{28, 88, 532, 124}));
    EXPECT_EQ(l.repeat.rect, (RectF{28, 134, 532, 170}));
    EXPECT_EQ(l.save.rect, (RectF{420, 184, 532, 218}));
    EXPECT_EQ(l.back.rect, (RectF{324, 184, 410, 218}));
    EXPECT_GE(l.error.top, l.save.rect.bottom);
    EXPECT_LE(l.error.bottom, 266);  // above the status line
    HitRegionList regions;
    addPasswordScreenRegions(l, regions);
    std::vector<HitKind> kinds;
    for (const HitRegion& r : regions.regions()) kinds.push_back(r.kind);
    if (set) {
      ASSERT_TRUE(l.remove.has_value());
      EXPECT_EQ(l.remove->rect, (RectF{218, 184, 314, 218}));
      EXPECT_STREQ(l.remove->text, "Remover");
      EXPECT_EQ(l.remove->textColour, kNegativeColour);
      EXPECT_EQ(kinds, (std::vector{HitKind::kPasswordSave, HitKind::kPasswordBack,
                                    HitKind::kPasswordRemove}));
    } else {
      EXPECT_FALSE(l.remove.has_value());
      EXPECT_EQ(kinds, (std::vector{HitKind::kPasswordSave, HitKind::kPasswordBack}));
    }
  }
}

TEST(UiPasswordSettingsTest, HoverAndFocusColourTheScreen) {
  struct Case {
    HitKind hover;
    Rgb save, back, remove;
  };
  const Case cases[] = {
      {HitKind::kNone, kAccentColour, kSecondaryButtonColour, kSecondaryButtonColour},
      {HitKind::kPasswordSave, kAccentHoverColour, kSecondaryButtonColour, kSecondaryButtonColour},
      {HitKind::kPasswordBack, kAccentColour, kSecondaryButtonHoverColour, kSecondaryButtonColour},
      {HitKind::kPasswordRemove, kAccentColour, kSecondaryButtonColour,
       kSecondaryButtonHoverColour},
  };
  for (const Case& c : cases) {
    const PasswordScreenLayout l =
        layoutPasswordScreen(overlayAt560(), 560, true, c.hover, PasswordEditFocus::kRepeat);
    EXPECT_EQ(l.save.fill, c.save) << int(c.hover);
    EXPECT_EQ(l.back.fill, c.back) << int(c.hover);
    EXPECT_EQ(l.remove->fill, c.remove) << int(c.hover);
    EXPECT_EQ(l.save.textColour, kWhiteColour);
    EXPECT_EQ(l.back.textColour, kTextColour);
    EXPECT_EQ(l.newPassword.border, kSeparatorColour);
    EXPECT_FLOAT_EQ(l.newPassword.borderWidth, 1);
    EXPECT_EQ(l.repeat.border, kAccentColour);
    EXPECT_FLOAT_EQ(l.repeat.borderWidth, 1.5f);
  }
}

TEST(UiPasswordSettingsTest, HomeSectionSitsBetweenTheIdCardAndTheCards) {
  const UnattendedSectionLayout l = layoutUnattendedSection(920, false, true);
  EXPECT_EQ(l.field.rect, (RectF{28, 296, 768, 336}));
  EXPECT_EQ(l.field.border, kAccentColour);
  EXPECT_EQ(l.saveButton, (RectF{782, 296, 892, 336}));
  EXPECT_GE(l.heading.top, 184 + 76);  // below the ID card
  EXPECT_LE(l.heading.bottom, l.field.rect.top);
  EXPECT_GE(l.hint.top, l.field.rect.bottom);
  EXPECT_LE(l.hint.bottom, 370);  // above the cards
  EXPECT_STREQ(l.hintText, "Sem senha. O acesso pede aceitação nesta tela.");
  EXPECT_STREQ(layoutUnattendedSection(720, true, false).hintText,
               "Senha definida. Quem tiver o ID e a senha entra sem aceitar.");
  EXPECT_EQ(layoutUnattendedSection(720, true, false).field.border, kSeparatorColour);
}

}  // namespace
}  // namespace px
