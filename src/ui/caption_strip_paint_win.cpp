#include "ui/caption_strip_paint_win.h"

#include "ui/d2d_support_win.h"
#include "ui/theme.h"

namespace px {
namespace {

void drawCaptionButton(ID2D1RenderTarget* rt, CaptionButton button, const CaptionStripInput& in) {
  const auto box = captionButtonRect(button, in.width, in.withMaximise);
  if (!box) return;
  const bool hovered = in.hovered == button;
  if (hovered) {
    fillRect(rt, *box, button == CaptionButton::kClose ? kCloseHoverColour
                                                       : kCaptionButtonHoverColour);
  }
  const Rgb glyph = hovered && button == CaptionButton::kClose ? kWhiteColour : kTextColour;
  for (const LineF& line : captionGlyph(button, *box, in.maximised)) drawLine(rt, line, glyph, 1);
}

}  // namespace

void drawCaptionStrip(ID2D1RenderTarget* rt, IDWriteTextFormat* titleFormat,
                      const CaptionStripInput& in) {
  drawAppMark(rt, kAppMarkOrigin, kAppMarkSize);
  drawText(rt, widen(kWindowTitle), titleFormat, kTitleTextRect, kTextColour);
  for (CaptionButton b : {CaptionButton::kMinimise, CaptionButton::kMaximise, CaptionButton::kClose}) {
    drawCaptionButton(rt, b, in);
  }
  drawLine(rt, {{0, kCaptionSeparatorY}, {in.width, kCaptionSeparatorY}}, kSeparatorColour, 1);
}

}  // namespace px
