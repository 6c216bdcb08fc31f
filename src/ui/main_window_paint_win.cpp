#include "ui/main_window_paint_win.h"

#include "ui/d2d_support_win.h"
#include "ui/frame_layout.h"
#include "ui/theme.h"

namespace px {
namespace {

constexpr float kButtonRadius = 8;
constexpr float kPillRadius = 6;

void drawCaptionButton(ID2D1RenderTarget* rt, CaptionButton button, const MainPaintInput& in,
                       bool homeShown) {
  const auto box = captionButtonRect(button, in.client.width, homeShown);
  if (!box) return;
  const bool hovered = in.hover.captionHover == button;
  if (hovered) {
    fillRect(rt, *box, button == CaptionButton::kClose ? kCloseHoverColour
                                                       : kCaptionButtonHoverColour);
  }
  const Rgb glyph = hovered && button == CaptionButton::kClose ? kWhiteColour : kTextColour;
  for (const LineF& line : captionGlyph(button, *box, in.maximised)) {
    drawLine(rt, line, glyph, 1);
  }
}

void drawCaptionStrip(ID2D1RenderTarget* rt, const MainTextFormats& f, const MainPaintInput& in,
                      bool homeShown) {
  drawAppMark(rt, kAppMarkOrigin, kAppMarkSize);
  drawText(rt, widen(kWindowTitle), f.title.Get(), kTitleTextRect, kTextColour);
  for (CaptionButton b : {CaptionButton::kMinimise, CaptionButton::kMaximise, CaptionButton::kClose}) {
    drawCaptionButton(rt, b, in, homeShown);
  }
  drawLine(rt, {{0, kCaptionSeparatorY}, {in.client.width, kCaptionSeparatorY}}, kSeparatorColour,
           1);
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

void measure(IDWriteFactory* factory, const MainTextFormats& f, CompactViewInput& in) {
  const auto groups = idDigitGroups(in.id);
  for (size_t i = 0; i < groups.size(); ++i) {
    in.measures.groupWidths[i] = measureTextWidth(factory, f.id.Get(), widen(groups[i]));
  }
  in.measures.unknownWidth = measureTextWidth(factory, f.body.Get(), widen(kIdUnknownText));
  const char* link = in.passwordSet ? kPasswordLinkSetText : kPasswordLinkUnsetText;
  in.passwordLinkTextWidth = measureTextWidth(factory, f.button.Get(), widen(link));
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
  return title && body && id && hint && button && small && smallRight;
}

void paintMainWindow(ID2D1RenderTarget* rt, IDWriteFactory* factory, const MainTextFormats& f,
                     MainPaintInput in, HitRegionList& regions) {
  regions.clear();
  in.compact.client = in.client;
  measure(factory, f, in.compact);
  const CompactLayout layout = layoutCompactView(in.compact);
  rt->Clear(toD2D(kBackgroundColour));
  drawCaptionStrip(rt, f, in, false);
  drawCompactView(rt, f, in, layout);
  drawStatusLine(rt, f, in, layout.statusLine);
  addCompactRegions(layout, in.compact.id, regions);
}

}  // namespace px
