#include "ui/message_list_win.h"

#include <string>

#include "ui/d2d_support_win.h"
#include "ui/message_list_layout.h"

namespace px {
namespace {

constexpr float kUnboundedHeight = 1e6f;

MeasureChatText measurerFor(IDWriteFactory* dwrite, IDWriteTextFormat* format) {
  // A failed measurement gives a zero size; the list then uses its fallback line height.
  return [dwrite, format](std::u16string_view text, float maxWidth) {
    return measureText(dwrite, format, wide(text), maxWidth, kUnboundedHeight);
  };
}

}  // namespace

void drawMessageList(ID2D1RenderTarget* target, IDWriteFactory* dwrite,
                     IDWriteTextFormat* lineFormat, const std::deque<ChatEntry>& entries,
                     const RectF& area) {
  if (!dwrite || !lineFormat || area.width() <= 0 || area.height() <= 0) return;
  const float textWidth = messageTextWidth(area);
  target->PushAxisAlignedClip(toD2D(area), D2D1_ANTIALIAS_MODE_ALIASED);
  for (const MessageBubble& b : layoutMessageList(entries, area, measurerFor(dwrite, lineFormat))) {
    const BubbleColours colours = bubbleColours(b.local);
    fillRoundedRect(target, b.bubble, kBubbleRadius, colours.fill);
    // Drawn as wide as it was measured, so that it wraps exactly where the bubble expects.
    const RectF box{b.text.left, b.text.top, b.text.left + textWidth, b.text.bottom};
    drawText(target, wide(b.display), lineFormat, box, colours.text);
  }
  target->PopAxisAlignedClip();
}

}  // namespace px
