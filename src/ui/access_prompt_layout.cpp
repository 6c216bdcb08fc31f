#include "ui/access_prompt_layout.h"

#include <cstdio>

#include "ui/dip.h"
#include "ui/window_placement.h"

namespace px {

PromptRegion promptRegionAt(PointF point) {
  if (kPromptCloseBox.contains(point)) return PromptRegion::kClose;
  if (kPromptAcceptBox.contains(point)) return PromptRegion::kAccept;
  if (kPromptRefuseBox.contains(point)) return PromptRegion::kRefuse;
  if (kPromptControlRow.contains(point)) return PromptRegion::kControl;
  return PromptRegion::kNone;
}

FrameHit promptFrameHit(PointF point) {
  const bool inStrip = point.y >= 0 && point.y < kCaptionHeight;
  if (inStrip && promptRegionAt(point) == PromptRegion::kNone) return FrameHit::kCaption;
  return FrameHit::kClient;
}

int promptDpi(int mainWindowDpi, int systemDpi) {
  return usableDpi(mainWindowDpi > 0 ? mainWindowDpi : systemDpi);
}

RectPx promptWindowRect(const RectPx& workArea, int dpi) {
  return centredIn(dipsToPixels(kPromptSize, dpi), workArea);
}

std::string promptDisplayName(std::string_view name) {
  return name.empty() ? kPromptUnknownName : std::string(name);
}

std::string promptIdLine(std::string_view id) {
  return id.empty() ? std::string() : "ID " + std::string(id);
}

std::string promptCountdownText(int secondsLeft) {
  char text[64];
  std::snprintf(text, sizeof text, "Recusa automática em %d s", secondsLeft);
  return text;
}

PromptLayout layoutPrompt(bool hasId) {
  PromptLayout l;
  l.title = kTitleTextRect;
  l.separator = {{0, 47.5f}, {460, 47.5f}};
  l.closeGlyph[0] = {{431, 19}, {441, 29}};
  l.closeGlyph[1] = {{441, 19}, {431, 29}};
  l.heading = {28, 68, 432, 100};
  l.name = {28, 104, 432, 132};
  l.showIdLine = hasId;
  if (hasId) l.idLine = {28, 132, 432, 154};
  const float y = hasId ? 160 : 136;
  l.wantsAccess = {28, y, 432, y + 22};
  l.warning = {28, y + 26, 432, y + 68};
  l.checkBox = {28, 234, 46, 252};
  l.checkMark[0] = {{32, 243}, {36, 247}};
  l.checkMark[1] = {{36, 247}, {42, 239}};
  l.controlLabel = {54, 230, 432, 256};
  l.countdown = {28, 264, 432, 296};
  l.refuse = kPromptRefuseBox;
  l.accept = kPromptAcceptBox;
  l.frame = {0.5f, 0.5f, 459.5f, 359.5f};
  return l;
}

}  // namespace px
