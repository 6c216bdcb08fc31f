#include "ui/viewer_overlay_layout.h"

#include <algorithm>

#include "ui/frame_layout.h"
#include "ui/viewer_frame_layout.h"

namespace px {
namespace {

constexpr float kBarInset = 16;          // the bar from the client's sides
constexpr float kBarTop = 60;            // 12 below the caption strip
constexpr float kBarBottom = 104;        // 12 above the view
constexpr float kBarPadding = 16;        // the bar's content from its sides
constexpr float kTabsToStatus = 18;
constexpr float kToggleToTabs = 10;
constexpr float kToggleToStatus = 12;
constexpr float kNameToToggle = 12;
constexpr float kChatInset = 12;
constexpr float kChatEditHeight = 34;
constexpr float kChatEditGap = 10;       // between the message list and the edit box
constexpr float kChatEmptyHeight = 32;

ChatPanelLayout layoutChatPanel(SizeF client, bool maximised) {
  const float m = maximised ? 0 : kViewMargin;
  ChatPanelLayout c;
  c.panel = {client.width - kChatPanelWidth, kViewTop, client.width - m, client.height - m};
  const RectF& p = c.panel;
  const float editTop = std::max(p.top + kChatInset, p.bottom - kChatInset - kChatEditHeight);
  c.edit = {p.left + kChatInset, editTop, p.right - kChatInset, editTop + kChatEditHeight};
  c.messages = {p.left + kChatInset, p.top + kChatInset, p.right - kChatInset,
                std::max(p.top + kChatInset, editTop - kChatEditGap)};
  c.emptyText = {p.left + kBarPadding, p.top + kChatInset, p.right - kBarPadding,
                 p.top + kChatInset + kChatEmptyHeight};
  return c;
}

}  // namespace

float statusTextWidth(float measured) { return measured < 1 ? kStatusFallbackWidth : measured; }

int monitorTabCount(int monitorCount) {
  return monitorCount > 1 ? std::min(monitorCount, kMaxMonitorTabs) : 0;
}

std::string monitorTabLabel(int index) { return "Tela " + std::to_string(index + 1); }

ViewerOverlayLayout layoutViewerOverlay(const ViewerOverlayInput& in) {
  const float w = in.client.width;
  const float statusRight = w - kBarInset - kBarPadding;
  const float statusLeft = statusRight - in.statusWidth;
  ViewerOverlayLayout l;
  l.caption = {0, 0, w, kCaptionHeight};
  l.title = kTitleTextRect;
  l.bar = {kBarInset, kBarTop, w - kBarInset, kBarBottom};
  l.statusText = {statusLeft, kOverlayControlTop, statusRight, kOverlayControlBottom};

  const int n = monitorTabCount(in.monitorCount);
  const float tabsWidth = float(n - 1) * kTabGap + float(n) * kTabWidth;
  const float firstTab = statusLeft - kTabsToStatus - tabsWidth;
  for (int i = 0; i < n; ++i) {
    const float left = float(i) * (kTabWidth + kTabGap) + firstTab;
    l.tabs.push_back({left, kOverlayControlTop, left + kTabWidth, kOverlayControlBottom});
  }
  const float toggleRight = n > 0 ? firstTab - kToggleToTabs : statusLeft - kToggleToStatus;
  l.chatToggle = {toggleRight - kChatToggleWidth, kOverlayControlTop, toggleRight,
                  kOverlayControlBottom};
  const float nameLeft = kBarInset + kBarPadding;
  l.remoteName = {nameLeft, kOverlayControlTop,
                  std::max(nameLeft, l.chatToggle.left - kNameToToggle), kOverlayControlBottom};

  l.chatShown = in.chatVisible;
  if (in.chatVisible) l.chat = layoutChatPanel(in.client, in.maximised);
  return l;
}

OverlayButtonColours overlayButtonColours(bool selected, bool hovered) {
  if (selected) return {hovered ? kAccentHoverColour : kAccentColour, kWhiteColour};
  return {secondaryButtonFill(hovered), kTextColour};
}

}  // namespace px
