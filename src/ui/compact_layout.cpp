#include "ui/compact_layout.h"

#include <algorithm>

#include "ui/theme.h"

namespace px {
namespace {

constexpr float kSideMargin = 28;
constexpr float kCaptionAndGap = 48 + 60;     // caption strip and the space above the card
constexpr float kCardTopMinimum = 60;
constexpr float kCardWithLink = 76 + 26;      // card and the password-link line
constexpr float kCardWithButtons = 76 + 54;   // card and the session buttons
constexpr float kSessionButtonTop = 94;       // below T
constexpr float kSessionButtonBottom = 130;   // below T
constexpr float kDisconnectWidth = 148;
constexpr float kChatWidth = 84;
constexpr float kSessionButtonGap = 10;
constexpr float kPillPadding = 12;            // each side of the link text

CompactOverlayRects overlayRects(float w) {
  return {{kSideMargin, 88, w - kSideMargin, 124},
          {kSideMargin, 134, w - kSideMargin, 170},
          {w - 140, 184, w - kSideMargin, 218},
          {w - 236, 184, w - 150, 218},
          {kSideMargin, 191, 48, 211}};
}

PasswordLinkLayout passwordLink(float top, float w, bool passwordSet, float textWidth) {
  PasswordLinkLayout link;
  link.line = {kSideMargin, top + 76, w - kSideMargin, top + 102};
  const float half = std::min(textWidth / 2 + kPillPadding, link.line.width() / 2);
  link.pill = {w / 2 - half, link.line.top, w / 2 + half, link.line.bottom};
  link.text = passwordSet ? kPasswordLinkSetText : kPasswordLinkUnsetText;
  link.accentText = !passwordSet;
  return link;
}

void placeSessionButtons(float top, float w, bool chatWindowOpen, CompactLayout& out) {
  const float t = top + kSessionButtonTop, b = top + kSessionButtonBottom;
  if (!chatWindowOpen) {
    const float x = std::max(kSideMargin, (w - kDisconnectWidth) / 2);
    out.disconnectButton = RectF{x, t, x + kDisconnectWidth, b};
    return;
  }
  const float both = kChatWidth + kSessionButtonGap + kDisconnectWidth;
  const float x = std::max(kSideMargin, (w - both) / 2);
  out.chatButton = RectF{x, t, x + kChatWidth, b};
  const float d = x + kChatWidth + kSessionButtonGap;
  out.disconnectButton = RectF{d, t, d + kDisconnectWidth, b};
}

}  // namespace

float compactCardTop(float height, bool sessionActive) {
  const float content = sessionActive ? kCardWithButtons : kCardWithLink;
  return std::max(0.0f, (height - kCaptionAndGap - content) / 2) + kCardTopMinimum;
}

CompactLayout layoutCompactView(const CompactViewInput& in) {
  const float w = in.client.width;
  CompactLayout out;
  out.accessButton = {w - 210, 10, w - 102, 38};
  out.overlay = overlayRects(w);
  out.cardTop = compactCardTop(in.client.height, in.sessionActive);
  out.showCard = !in.overlayOpen;
  if (out.showCard) {
    out.card = layoutIdCard(out.cardTop, w, in.id, in.relayRegistered, in.measures);
    if (!in.sessionActive) {
      out.passwordLink = passwordLink(out.cardTop, w, in.passwordSet, in.passwordLinkTextWidth);
    }
  }
  if (in.sessionActive) placeSessionButtons(out.cardTop, w, in.chatWindowOpen, out);
  out.statusLine = statusLineLayout(in.client);
  return out;
}

void addCompactRegions(const CompactLayout& layout, std::string_view id, HitRegionList& regions) {
  regions.add(HitKind::kAccessButton, layout.accessButton);
  if (layout.showCard && layout.card.showDigits) {
    regions.add(HitKind::kIdDigits, layout.card.digits, std::string(id));
  }
  if (layout.passwordLink) regions.add(HitKind::kPasswordLink, layout.passwordLink->line);
  if (layout.chatButton) regions.add(HitKind::kChat, *layout.chatButton);
  if (layout.disconnectButton) regions.add(HitKind::kDisconnect, *layout.disconnectButton);
}

Rgb accessButtonFill(bool overlayOpen, bool hovered) {
  if (overlayOpen) return kSecondaryButtonColour;
  return hovered ? kAccentHoverColour : kAccentColour;
}

Rgb sessionButtonTextColour(HitKind kind) {
  return kind == HitKind::kDisconnect ? kNegativeColour : kTextColour;
}

}  // namespace px
