// The chat message list shared by the host chat window and the viewer's chat panel: bubbles
// stacked upwards from the newest line at the bottom, sent lines on the right, received on the
// left. Wrapping is the text system's; this decides widths, order and what is visible.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/chat_entry.h"
#include "ui/geometry.h"
#include "ui/rgb.h"

namespace px {

inline constexpr float kBubbleMaxFraction = 0.8f;  // of the list's width
inline constexpr float kBubblePaddingX = 10;
inline constexpr float kBubblePaddingY = 6;
inline constexpr float kBubbleGap = 6;
inline constexpr float kBubbleRadius = 8;
inline constexpr float kBubbleFallbackLineHeight = 18;  // when measuring fails

// Size of `text` wrapped at `maxWidth` in the chat line format (DIPs); the drawing code
// measures with the text system, tests with a fake.
using MeasureChatText = std::function<SizeF(std::u16string_view text, float maxWidth)>;

struct MessageBubble {
  size_t index = 0;  // into the entries
  bool local = false;
  RectF bubble;
  RectF text;
  std::u16string display;  // `chatDisplayText` of the entry
};

// Width at which a line's text wraps inside `area`: the widest bubble less its padding. Text is
// measured and drawn at this width so that both wrap alike.
float messageTextWidth(const RectF& area);

// Oldest first; only bubbles at least partly inside `area` (the caller clips to it). Work is
// bounded by what fits, not by the history's length.
std::vector<MessageBubble> layoutMessageList(const std::deque<ChatEntry>& entries,
                                             const RectF& area, const MeasureChatText& measure);

struct BubbleColours {
  Rgb fill;
  Rgb text;
};
// Sent: accent with white text; received: secondary button with the text colour.
BubbleColours bubbleColours(bool local);

}  // namespace px
