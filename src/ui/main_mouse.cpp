#include "ui/main_mouse.h"

namespace px {
namespace {

ClickDecision commandClick(int command) {
  ClickDecision d;
  d.action = ClickAction::kCommand;
  d.command = command;
  return d;
}

}  // namespace

HoverState hoverAt(PointF point, float width, bool homeShown, const HitRegionList& regions) {
  HoverState next;
  next.captionHover = captionButtonAt(point, width, homeShown);
  if (const HitRegion* card = regions.atKind(point, HitKind::kCard)) next.hoverCardKey = card->key;
  if (const HitRegion* region = regions.atExcept(point, HitKind::kIdDigits, HitKind::kCard)) {
    next.hoverKind = region->kind;
  }
  return next;
}

Repaint updateHover(HoverState& state, const HoverState& next) {
  const bool captionChanged = state.captionHover != next.captionHover;
  const bool contentChanged =
      state.hoverKind != next.hoverKind || state.hoverCardKey != next.hoverCardKey;
  state = next;
  if (contentChanged) return Repaint::kWholeWindow;
  return captionChanged ? Repaint::kCaptionStrip : Repaint::kNone;
}

bool handCursorAt(PointF point, const HitRegionList& regions) {
  return regions.at(point) != nullptr;
}

ClickDecision regionClick(const HitRegion& region) {
  ClickDecision d;
  switch (region.kind) {
    case HitKind::kIdDigits:
      d.action = ClickAction::kCopyId;
      d.key = region.key;
      d.status = kIdCopiedStatus;
      break;
    case HitKind::kCard:
      d.action = ClickAction::kConnectToCard;
      d.key = region.key;
      break;
    case HitKind::kAccessButton: d.action = ClickAction::kEnterHomeScreen; break;
    case HitKind::kDisconnect: d = commandClick(kDisconnectCommand); break;
    case HitKind::kChat: d = commandClick(kChatCommand); break;
    case HitKind::kLoginSubmit: d = commandClick(kLoginCommand); break;
    case HitKind::kLoginBack: d.action = ClickAction::kLeaveLoginScreen; break;
    case HitKind::kRememberLogin: d.action = ClickAction::kToggleRememberLogin; break;
    case HitKind::kLogout: d.action = ClickAction::kLogout; break;
    case HitKind::kPasswordLink: d.action = ClickAction::kOpenPasswordScreen; break;
    case HitKind::kPasswordSave: d = commandClick(kSavePasswordCommand); break;
    case HitKind::kPasswordBack: d.action = ClickAction::kClosePasswordScreen; break;
    case HitKind::kPasswordRemove: d.action = ClickAction::kRemovePassword; break;
    case HitKind::kCardStar:
      d.action = ClickAction::kToggleFavourite;
      d.key = region.key;
      break;
    case HitKind::kNone: break;
  }
  return d;
}

ClickDecision clickAt(PointF point, float width, bool homeShown, const HitRegionList& regions) {
  const CaptionButton button = captionButtonAt(point, width, homeShown);
  if (button != CaptionButton::kNone) {
    ClickDecision d;
    d.action = ClickAction::kPressCaptionButton;
    d.captionButton = button;
    return d;
  }
  if (const HitRegion* region = regions.at(point)) return regionClick(*region);
  return {};
}

}  // namespace px
