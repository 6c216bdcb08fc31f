// What the viewer window paints around the view, in DIPs of its client area: the caption strip's
// title, the bar with the remote's name, the chat toggle, one tab per remote monitor and the
// status text, and the chat panel. Plain values in, rectangles out; the text system's
// measurement of the status text is an input.
#pragma once

#include <string>
#include <vector>

#include "ui/geometry.h"
#include "ui/theme.h"

namespace px {

inline constexpr int kMaxMonitorTabs = 8;
inline constexpr float kTabWidth = 62;
inline constexpr float kTabGap = 6;
inline constexpr float kChatToggleWidth = 64;
inline constexpr float kOverlayControlTop = 69;     // tabs and chat toggle
inline constexpr float kOverlayControlBottom = 95;
inline constexpr float kStatusFallbackWidth = 280;  // when the status text cannot be measured
inline constexpr SizeF kStatusMeasureBox{2000, 48};

inline constexpr const char* kChatToggleText = "Chat";
inline constexpr const char* kChatPanelEmptyText = "Nenhuma mensagem";

// The overlay's formats: the caption title, the remote's name, the status text, tab and toggle
// labels (these four centred vertically, unwrapped) and the chat lines.
inline constexpr TextStyle kViewerTitleFormat{13.5f, kSemiBoldWeight, TextAlign::kLeading, false};
inline constexpr TextStyle kViewerNameFormat{15, kSemiBoldWeight, TextAlign::kLeading, false};
inline constexpr TextStyle kViewerStatusFormat{12.5f, kNormalWeight, TextAlign::kTrailing, false};
inline constexpr TextStyle kViewerTabFormat{12, kSemiBoldWeight, TextAlign::kCentre, false};
inline constexpr TextStyle kViewerChatLineFormat{13, kNormalWeight, TextAlign::kLeading, true,
                                                 ParagraphAlign::kNear};

// The measured status width (including trailing white space); 280 when it measured below 1.
float statusTextWidth(float measured);

// Tabs drawn for a monitor count: none for one monitor, at most eight.
int monitorTabCount(int monitorCount);
// "Tela 1" for index 0.
std::string monitorTabLabel(int index);

struct ViewerOverlayInput {
  SizeF client;             // DIPs
  float statusWidth = 0;    // statusTextWidth() of the measurement
  int monitorCount = 0;
  bool maximised = false;
  bool chatVisible = false;
};

struct ChatPanelLayout {
  RectF panel;      // the panel's box, right of the view
  RectF messages;   // the message list (layoutMessageList)
  RectF emptyText;  // "Nenhuma mensagem" while the log is empty
  RectF edit;       // the native edit box
};

struct ViewerOverlayLayout {
  RectF caption;     // the strip that drags the window; its buttons are captionButtonRect's
  RectF title;       // "Parvolex", after the application mark
  RectF bar;         // the band between the caption strip and the view
  RectF remoteName;  // the window title (the remote ID), at the bar's left
  RectF statusText;  // kViewerStatusFormat, right-aligned
  RectF chatToggle;
  std::vector<RectF> tabs;  // index i is monitor i
  bool chatShown = false;   // `chat` is meaningful
  ChatPanelLayout chat;
};

ViewerOverlayLayout layoutViewerOverlay(const ViewerOverlayInput& input);

struct OverlayButtonColours {
  Rgb fill;
  Rgb text;
  friend bool operator==(const OverlayButtonColours&, const OverlayButtonColours&) = default;
};
// A monitor tab or the chat toggle: `selected` (the monitor shown, the panel open) in the accent
// colours with white text, the others as secondary buttons; hover lightens either.
OverlayButtonColours overlayButtonColours(bool selected, bool hovered);

}  // namespace px
