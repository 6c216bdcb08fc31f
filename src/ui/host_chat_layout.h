// The host chat window (340 × 480 DIPs, top-right of the work area): its placement, the
// rectangles of its title, peer name, close glyph, message area and edit box, and what a click
// in its top strip does. DIPs relative to the client area unless said.
#pragma once

#include "ui/geometry.h"
#include "ui/theme.h"

namespace px {

inline constexpr SizeF kHostChatSize{340, 480};
inline constexpr float kHostChatMargin = 16;  // from the work area's top and right edges
inline constexpr int kHostChatEditLimit = 500;  // characters the edit box takes

inline constexpr const char* kHostChatWindowClass = "ParvolexHostChat";
inline constexpr const char* kHostChatTitle = "Chat";
inline constexpr const char* kHostChatCue = "Escreva uma mensagem";
inline constexpr const char* kHostChatEmpty = "Nenhuma mensagem";

// Lines and the peer name: 13 regular, wrapping, leading, top-aligned.
inline constexpr TextStyle kChatLineFormat{13, kNormalWeight, TextAlign::kLeading, true,
                                                ParagraphAlign::kNear};
// The title: 14 semi-bold, no wrapping, leading, vertically centred.
inline constexpr TextStyle kChatTitleFormat{14, kSemiBoldWeight, TextAlign::kLeading, false};

// The main window's DPI, at least 96.
int hostChatDpi(int mainWindowDpi);
// Screen pixels: right edge 16 DIPs left of the work area's right, top 16 DIPs below its top.
RectPx hostChatWindowRect(const RectPx& workArea, int dpi);

struct HostChatLayout {
  RectF title;       // "Chat"
  RectF peer;        // the peer name, when set
  LineF closeGlyph[2];
  LineF separator;   // 1 DIP at y = 64
  RectF messages;    // the message list
  RectF emptyText;   // "Nenhuma mensagem" while the history is empty
  RectF edit;        // the native edit box
};

HostChatLayout layoutHostChat(SizeF client);

enum class HostChatClick { kNone, kHide, kDrag };

// Left button down: within 40 DIPs of the top right corner hides the window, elsewhere in the
// top 64 DIPs drags it.
HostChatClick hostChatClickAt(PointF point, float width);

}  // namespace px
