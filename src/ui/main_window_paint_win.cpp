#include "ui/main_window_paint_win.h"

#include "ui/caption_strip_paint_win.h"
#include "ui/card_paint_win.h"
#include "ui/d2d_support_win.h"
#include "ui/frame_layout.h"
#include "ui/home_layout.h"
#include "ui/login_screen_layout.h"
#include "ui/password_settings_layout.h"
#include "ui/theme.h"

namespace px {
namespace {

constexpr float kButtonRadius = 8;
constexpr float kPillRadius = 6;
constexpr float kCheckBoxRadius = 4;
constexpr float kFocusedBorderWidth = 1.5f;

void drawCaptionStrip(ID2D1RenderTarget* rt, const MainTextFormats& f, const MainPaintInput& in,
                      bool homeShown) {
  px::drawCaptionStrip(rt, f.title.Get(),
                       {in.client.width, in.hover.captionHover, in.maximised, homeShown});
}

void drawIdCard(ID2D1RenderTarget* rt, const MainTextFormats& f, const IdCardLayout& card) {
  drawText(rt, widen(kIdCardLabel), f.hint.Get(), card.label, kSecondaryTextColour);
  if (card.showDigits) {
    for (size_t i = 0; i < card.groups.size(); ++i) {
      drawText(rt, widen(card.groupTexts[i]), f.id.Get(), card.groups[i], kAccentColour);
    }
  } else {
    drawText(rt, widen(kIdUnknownText), f.body.Get(), card.unknown, kSecondaryTextColour);
  }
  drawText(rt, widen(kIdCopyHint), f.hint.Get(), card.hint, kSecondaryTextColour);
  if (card.indicatorPositive) {
    fillDisc(rt, card.indicatorCentre, card.indicatorRadius, kPositiveColour);
    for (const LineF& line : card.checkMark) drawLine(rt, line, kWhiteColour, 1.6f);
  } else {
    fillDisc(rt, card.indicatorCentre, card.indicatorRadius, kSecondaryTextColour);
  }
}

void drawPasswordLink(ID2D1RenderTarget* rt, const MainTextFormats& f,
                      const PasswordLinkLayout& link, bool hovered) {
  if (hovered) fillRoundedRect(rt, link.pill, kPillRadius, kSecondaryButtonColour);
  drawText(rt, widen(link.text), f.button.Get(), link.line,
           link.accentText ? kAccentColour : kTextColour);
}

void drawSessionButton(ID2D1RenderTarget* rt, const MainTextFormats& f, const RectF& box,
                       HitKind kind, const char* text, bool hovered) {
  fillRoundedRect(rt, box, kButtonRadius, secondaryButtonFill(hovered));
  drawText(rt, widen(text), f.button.Get(), box, sessionButtonTextColour(kind));
}

void drawCompactView(ID2D1RenderTarget* rt, const MainTextFormats& f, const MainPaintInput& in,
                     const CompactLayout& layout) {
  const HitKind hovered = in.hover.hoverKind;
  fillRoundedRect(rt, layout.accessButton, kButtonRadius,
                  accessButtonFill(in.compact.overlayOpen, hovered == HitKind::kAccessButton));
  drawText(rt, widen(kAccessButtonText), f.button.Get(), layout.accessButton, kWhiteColour);
  if (layout.showCard) drawIdCard(rt, f, layout.card);
  if (layout.passwordLink) {
    drawPasswordLink(rt, f, *layout.passwordLink, hovered == HitKind::kPasswordLink);
  }
  if (layout.chatButton) {
    drawSessionButton(rt, f, *layout.chatButton, HitKind::kChat, kChatButtonText,
                      hovered == HitKind::kChat);
  }
  if (layout.disconnectButton) {
    drawSessionButton(rt, f, *layout.disconnectButton, HitKind::kDisconnect,
                      kDisconnectButtonText, hovered == HitKind::kDisconnect);
  }
}

void drawStatusLine(ID2D1RenderTarget* rt, const MainTextFormats& f, const MainPaintInput& in,
                    const StatusLineLayout& line) {
  fillDisc(rt, line.dotCentre, line.dotRadius, in.statusDot);
  drawText(rt, widen(in.statusText), f.small.Get(), line.text, kSecondaryTextColour);
}

void drawFieldFrame(ID2D1RenderTarget* rt, const FieldFrameLayout& field) {
  fillRoundedRect(rt, field.rect, kFieldFrameRadius, kFieldColour);
  outlineRoundedRect(rt, field.rect, kFieldFrameRadius, field.border, field.borderWidth);
}

FieldFrameLayout fieldFrame(const RectF& rect, bool focused) {
  if (focused) return {rect, kAccentColour, kFocusedBorderWidth};
  return {rect, kSeparatorColour, 1};
}

bool focusedOn(const MainPaintInput& in, MainControl edit) { return in.focusedEdit == edit; }

void drawPaintedButton(ID2D1RenderTarget* rt, const MainTextFormats& f,
                       const PaintedButtonLayout& b) {
  fillRoundedRect(rt, b.rect, kPaintedButtonRadius, b.fill);
  drawText(rt, widen(b.text), f.button.Get(), b.rect, b.textColour);
}

void drawLoginScreen(ID2D1RenderTarget* rt, const MainTextFormats& f, const MainPaintInput& in,
                     const LoginScreenLayout& l) {
  const HitKind hovered = in.hover.hoverKind;
  drawText(rt, widen(kLoginHeading), f.small.Get(), l.heading, kTextColour);
  drawFieldFrame(rt, fieldFrame(l.loginField, focusedOn(in, MainControl::kLoginEdit)));
  drawFieldFrame(rt, fieldFrame(l.passwordField, focusedOn(in, MainControl::kLoginPasswordEdit)));
  if (in.rememberLogin) {
    fillRoundedRect(rt, l.checkBox, kCheckBoxRadius, kAccentColour);
    for (const LineF& line : l.checkMark) drawLine(rt, line, kWhiteColour, 1.6f);
  } else {
    fillRoundedRect(rt, l.checkBox, kCheckBoxRadius, kFieldColour);
    outlineRoundedRect(rt, l.checkBox, kCheckBoxRadius, kSeparatorColour, 1);
  }
  drawText(rt, widen(kRememberLoginText), f.small.Get(), l.rememberLabel, kTextColour);
  drawPaintedButton(rt, f, {l.backButton, kLoginBackText,
                            secondaryButtonFill(hovered == HitKind::kLoginBack), kTextColour});
  const bool submitHovered = l.submitClickable && hovered == HitKind::kLoginSubmit;
  drawPaintedButton(rt, f, {l.submitButton, l.submitText,
                            submitHovered ? kAccentHoverColour : kAccentColour, kWhiteColour});
  if (!in.loginError.empty()) {
    drawText(rt, widen(in.loginError), f.small.Get(), l.error, kNegativeColour);
  }
}

void drawPasswordScreen(ID2D1RenderTarget* rt, const MainTextFormats& f, const MainPaintInput& in,
                        const PasswordScreenLayout& l) {
  drawText(rt, widen(l.headingText), f.small.Get(), l.heading, kTextColour);
  drawFieldFrame(rt, l.newPassword);
  drawFieldFrame(rt, l.repeat);
  drawPaintedButton(rt, f, l.save);
  drawPaintedButton(rt, f, l.back);
  if (l.remove) drawPaintedButton(rt, f, *l.remove);
  if (!in.passwordError.empty()) {
    drawText(rt, widen(in.passwordError), f.small.Get(), l.error, kNegativeColour);
  }
}

PasswordEditFocus passwordFocus(const MainPaintInput& in) {
  if (focusedOn(in, MainControl::kNewPasswordEdit)) return PasswordEditFocus::kNewPassword;
  if (focusedOn(in, MainControl::kRepeatPasswordEdit)) return PasswordEditFocus::kRepeat;
  return PasswordEditFocus::kNone;
}

void measureCard(IDWriteFactory* factory, const MainTextFormats& f, std::string_view id,
                 IdCardMeasures& measures) {
  const auto groups = idDigitGroups(id);
  for (size_t i = 0; i < groups.size(); ++i) {
    measures.groupWidths[i] = measureTextWidth(factory, f.id.Get(), widen(groups[i]));
  }
  measures.unknownWidth = measureTextWidth(factory, f.body.Get(), widen(kIdUnknownText));
}

void measure(IDWriteFactory* factory, const MainTextFormats& f, CompactViewInput& in) {
  measureCard(factory, f, in.id, in.measures);
  const char* link = in.passwordSet ? kPasswordLinkSetText : kPasswordLinkUnsetText;
  in.passwordLinkTextWidth = measureTextWidth(factory, f.button.Get(), widen(link));
}

void paintCompact(ID2D1RenderTarget* rt, IDWriteFactory* factory, const MainTextFormats& f,
                  MainPaintInput& in, HitRegionList& regions) {
  in.compact.client = in.client;
  in.compact.overlayOpen = in.loginShown || in.passwordScreenShown;
  measure(factory, f, in.compact);
  const CompactLayout layout = layoutCompactView(in.compact);
  drawCaptionStrip(rt, f, in, false);
  drawCompactView(rt, f, in, layout);
  drawStatusLine(rt, f, in, layout.statusLine);
  addCompactRegions(layout, in.compact.id, regions);
  if (in.loginShown) {
    const float labelWidth = measureTextWidth(factory, f.small.Get(), widen(kRememberLoginText));
    const LoginScreenLayout login = layoutLoginScreen(in.client, in.loginInProgress, labelWidth);
    drawLoginScreen(rt, f, in, login);
    addLoginRegions(login, regions);
  } else if (in.passwordScreenShown) {
    const PasswordScreenLayout screen =
        layoutPasswordScreen(layout.overlay, in.client.width, in.compact.passwordSet,
                             in.hover.hoverKind, passwordFocus(in));
    drawPasswordScreen(rt, f, in, screen);
    addPasswordScreenRegions(screen, regions);
  }
}

void paintHome(ID2D1RenderTarget* rt, IDWriteFactory* factory, const MainTextFormats& f,
               const MainPaintInput& in, CardBitmaps& bitmaps, HitRegionList& regions) {
  HomeScreenInput homeInput;
  homeInput.client = in.client;
  homeInput.id = in.compact.id;
  homeInput.relayRegistered = in.compact.relayRegistered;
  measureCard(factory, f, homeInput.id, homeInput.measures);
  const HomeLayout home = layoutHomeScreen(homeInput);
  drawCaptionStrip(rt, f, in, true);
  const bool logoutHovered = in.hover.hoverKind == HitKind::kLogout;
  drawPaintedButton(rt, f, {home.logoutButton, kLogoutButtonText,
                            secondaryButtonFill(logoutHovered), kTextColour});
  drawText(rt, widen(in.accountName), f.smallRight.Get(), home.displayName, kSecondaryTextColour);
  drawFieldFrame(rt, fieldFrame(home.connectPanel, focusedOn(in, MainControl::kIdEdit)));
  drawFieldFrame(rt, fieldFrame(home.remotePasswordPanel,
                                focusedOn(in, MainControl::kRemotePasswordEdit)));
  drawIdCard(rt, f, home.card);
  const UnattendedSectionLayout section = layoutUnattendedSection(
      in.client.width, in.compact.passwordSet, focusedOn(in, MainControl::kNewPasswordEdit));
  drawText(rt, widen(kUnattendedHeading), f.small.Get(), section.heading, kTextColour);
  drawFieldFrame(rt, section.field);
  drawText(rt, widen(section.hintText), f.hint.Get(), section.hint, kSecondaryTextColour);
  drawCards(rt, {f.small.Get(), f.hint.Get(), f.card.Get()}, in.cards, bitmaps);
  drawStatusLine(rt, f, in, home.statusLine);
  addHomeRegions(home, homeInput.id, regions);
  addCardRegions(in.cards, regions);
}

}  // namespace

bool MainTextFormats::create(IDWriteFactory* factory) {
  title = createTextFormat(factory, kTitleFormat);
  body = createTextFormat(factory, kBodyFormat);
  id = createTextFormat(factory, kIdFormat);
  hint = createTextFormat(factory, kHintFormat);
  button = createTextFormat(factory, kButtonFormat);
  small = createTextFormat(factory, kSmallFormat);
  smallRight = createTextFormat(factory, kSmallRightFormat);
  card = createTextFormat(factory, kCardTextFormat);
  return title && body && id && hint && button && small && smallRight && card;
}

void paintMainWindow(ID2D1RenderTarget* rt, IDWriteFactory* factory, const MainTextFormats& f,
                     MainPaintInput in, CardBitmaps& bitmaps, HitRegionList& regions) {
  regions.clear();
  rt->Clear(toD2D(kBackgroundColour));
  if (in.homeShown) {
    paintHome(rt, factory, f, in, bitmaps, regions);
  } else {
    paintCompact(rt, factory, f, in, regions);
  }
}

}  // namespace px
