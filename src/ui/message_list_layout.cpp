#include "ui/message_list_layout.h"

#include <algorithm>

#include "ui/chat_history.h"
#include "ui/theme.h"

namespace px {

float messageTextWidth(const RectF& area) {
  const float maxBubble = std::max(area.width() * kBubbleMaxFraction, 2 * kBubblePaddingX + 1);
  return maxBubble - 2 * kBubblePaddingX;
}

std::vector<MessageBubble> layoutMessageList(const std::deque<ChatEntry>& entries,
                                             const RectF& area, const MeasureChatText& measure) {
  std::vector<MessageBubble> out;
  const float maxText = messageTextWidth(area);
  float bottom = area.bottom;
  for (size_t i = entries.size(); i-- > 0 && bottom > area.top;) {
    MessageBubble b;
    b.index = i;
    b.local = entries[i].local;
    b.display = chatDisplayText(entries[i].text);
    SizeF text = measure(b.display, maxText);
    text.width = std::clamp(text.width, 0.0f, maxText);
    if (text.height <= 0) text.height = kBubbleFallbackLineHeight;
    const float width = text.width + 2 * kBubblePaddingX;
    const float top = bottom - text.height - 2 * kBubblePaddingY;
    const float left = b.local ? area.right - width : area.left;
    b.bubble = {left, top, left + width, bottom};
    b.text = {left + kBubblePaddingX, top + kBubblePaddingY, left + kBubblePaddingX + text.width,
              bottom - kBubblePaddingY};
    out.push_back(std::move(b));
    bottom = top - kBubbleGap;
  }
  std::reverse(out.begin(), out.end());
  return out;
}

BubbleColours bubbleColours(bool local) {
  if (local) return {kAccentColour, kWhiteColour};
  return {kSecondaryButtonColour, kTextColour};
}

}  // namespace px
