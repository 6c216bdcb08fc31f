#include "ui/frame_layout.h"

#include "ui/dip.h"

namespace px {
namespace {

constexpr float kGlyphHalf = 5;  // glyphs are 10 DIPs across, centred in their button

FrameHit borderHit(const RectPx& window, PointPx p) {
  const bool left = p.x < window.left + kResizeBorderPixels;
  const bool right = p.x >= window.right - kResizeBorderPixels;
  const bool top = p.y < window.top + kResizeBorderPixels;
  const bool bottom = p.y >= window.bottom - kResizeBorderPixels;
  if (top && left) return FrameHit::kTopLeft;
  if (top && right) return FrameHit::kTopRight;
  if (bottom && left) return FrameHit::kBottomLeft;
  if (bottom && right) return FrameHit::kBottomRight;
  if (bottom) return FrameHit::kBottom;
  if (left) return FrameHit::kLeft;
  if (right) return FrameHit::kRight;
  if (top) return FrameHit::kTop;
  return FrameHit::kClient;
}

}  // namespace

std::optional<RectF> captionButtonRect(CaptionButton button, float width, bool homeShown) {
  // Slots counted from the right edge: close 1, maximise 2, minimise 3 (2 without maximise).
  int slot = 0;
  switch (button) {
    case CaptionButton::kClose: slot = 1; break;
    case CaptionButton::kMaximise:
      if (!homeShown) return std::nullopt;
      slot = 2;
      break;
    case CaptionButton::kMinimise: slot = homeShown ? 3 : 2; break;
    case CaptionButton::kNone: return std::nullopt;
  }
  const float right = width - kCaptionButtonWidth * float(slot - 1);
  return RectF{right - kCaptionButtonWidth, 0, right, kCaptionHeight};
}

CaptionButton captionButtonAt(PointF point, float width, bool homeShown) {
  for (CaptionButton b : {CaptionButton::kMinimise, CaptionButton::kMaximise, CaptionButton::kClose}) {
    const auto rect = captionButtonRect(b, width, homeShown);
    if (rect && rect->contains(point)) return b;
  }
  return CaptionButton::kNone;
}

FrameHit frameHitTest(const FrameHitInput& in) {
  if (!in.maximised) {
    const FrameHit border = borderHit(in.window, in.point);
    if (border != FrameHit::kClient) return border;
  }
  const PointF p = pixelsToDips(PointPx{in.point.x - in.client.left, in.point.y - in.client.top},
                                in.dpi);
  if (p.y < 0 || p.y >= kCaptionHeight) return FrameHit::kClient;
  const float width = pixelsToDips(in.client.width(), in.dpi);
  if (captionButtonAt(p, width, in.homeShown) != CaptionButton::kNone) return FrameHit::kClient;
  if (in.regions) {
    for (const HitRegion& region : in.regions->regions()) {
      const bool titleBarButton =
          region.kind == HitKind::kAccessButton || region.kind == HitKind::kLogout;
      if (titleBarButton && region.rect.contains(p)) return FrameHit::kClient;
    }
  }
  return FrameHit::kCaption;
}

CaptionAction captionButtonUp(CaptionButton pressed, CaptionButton under, bool homeShown,
                              bool maximised) {
  if (pressed == CaptionButton::kNone || pressed != under) return CaptionAction::kNone;
  switch (pressed) {
    case CaptionButton::kClose: return CaptionAction::kClose;
    case CaptionButton::kMinimise: return CaptionAction::kMinimise;
    case CaptionButton::kMaximise:
      if (maximised) return CaptionAction::kRestore;
      return homeShown ? CaptionAction::kMaximise : CaptionAction::kNone;
    case CaptionButton::kNone: break;
  }
  return CaptionAction::kNone;
}

bool systemMaximiseAllowed(bool homeShown) { return homeShown; }

TrackLimits trackLimits(bool homeShown) {
  if (homeShown) return {kHomeMinimumSize, std::nullopt};
  return {kCompactSize, kCompactSize};
}

std::vector<LineF> captionGlyph(CaptionButton button, const RectF& box, bool maximised) {
  const float cx = (box.left + box.right) / 2, cy = (box.top + box.bottom) / 2;
  const float l = cx - kGlyphHalf, r = cx + kGlyphHalf, t = cy - kGlyphHalf, b = cy + kGlyphHalf;
  switch (button) {
    case CaptionButton::kClose: return {{{l, t}, {r, b}}, {{r, t}, {l, b}}};
    case CaptionButton::kMinimise: return {{{l, cy}, {r, cy}}};
    case CaptionButton::kMaximise: {
      // Restore: the square shifted down-left with a corner of a second one behind it.
      const float d = maximised ? 2 : 0;
      std::vector<LineF> lines{{{l, t + d}, {r - d, t + d}}, {{r - d, t + d}, {r - d, b}},
                               {{r - d, b}, {l, b}},         {{l, b}, {l, t + d}}};
      if (maximised) {
        lines.push_back({{l + d, t}, {r, t}});
        lines.push_back({{r, t}, {r, b - d}});
      }
      return lines;
    }
    case CaptionButton::kNone: break;
  }
  return {};
}

}  // namespace px
