#include "ui/host_chat_layout.h"

#include <algorithm>

#include "ui/dip.h"

namespace px {
namespace {

constexpr float kHeaderHeight = 64;
constexpr float kHideCorner = 40;
constexpr float kEditInset = 12;
constexpr float kEditHeight = 34;
constexpr float kEditMinimumWidth = 40;
constexpr float kMessagesTop = 72;
constexpr float kMessagesBottomGap = 58;  // from the client's bottom

}  // namespace

int hostChatDpi(int mainWindowDpi) { return std::max(mainWindowDpi, kDefaultDpi); }

RectPx hostChatWindowRect(const RectPx& workArea, int dpi) {
  const SizePx size = dipsToPixels(kHostChatSize, dpi);
  const int margin = dipsToPixels(kHostChatMargin, dpi);
  const int right = workArea.right - margin, top = workArea.top + margin;
  return {right - size.width, top, right, top + size.height};
}

HostChatLayout layoutHostChat(SizeF client) {
  const float w = client.width, h = client.height;
  HostChatLayout l;
  l.title = {16, 0, w - 48, 36};
  l.peer = {16, 34, w - 16, 58};
  l.closeGlyph[0] = {{w - 27, 15}, {w - 17, 25}};
  l.closeGlyph[1] = {{w - 17, 15}, {w - 27, 25}};
  l.separator = {{0, kHeaderHeight}, {w, kHeaderHeight}};
  l.messages = {kEditInset, kMessagesTop, w - kEditInset, h - kMessagesBottomGap};
  l.emptyText = {16, 76, w - 16, 108};
  const float editWidth = std::max(w - 2 * kEditInset, kEditMinimumWidth);
  l.edit = {kEditInset, h - kEditInset - kEditHeight, kEditInset + editWidth, h - kEditInset};
  return l;
}

HostChatClick hostChatClickAt(PointF point, float width) {
  if (point.y < 0 || point.y >= kHeaderHeight) return HostChatClick::kNone;
  if (point.y < kHideCorner && point.x >= width - kHideCorner) return HostChatClick::kHide;
  return HostChatClick::kDrag;
}

}  // namespace px
