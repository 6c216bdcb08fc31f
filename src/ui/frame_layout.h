// The main window's own frame: caption strip, caption buttons, resize borders, size limits and
// what a caption-button click does. Pure functions of sizes, DPI and the pointer.
#pragma once

#include <optional>
#include <vector>

#include "ui/geometry.h"
#include "ui/hit_regions.h"

namespace px {

inline constexpr float kCaptionHeight = 48;         // DIPs; the strip that drags the window
inline constexpr float kCaptionButtonWidth = 46;    // DIPs
inline constexpr float kCaptionSeparatorY = 47.5f;  // centre of the 1-DIP line under the strip
inline constexpr int kResizeBorderPixels = 6;       // device pixels, not DIPs
inline constexpr PointF kAppMarkOrigin{16, 15};
inline constexpr float kAppMarkSize = 18;
inline constexpr RectF kTitleTextRect{42, 0, 280, 48};
inline constexpr const char* kWindowTitle = "Parvolex";

inline constexpr SizeF kCompactSize{560, 300};   // fixed: minimum and maximum track size
inline constexpr SizeF kHomeInitialSize{920, 700};
inline constexpr SizeF kHomeMinimumSize{720, 640};  // no maximum

// Values are those of `captionHover`: 0 none, 1 minimise, 2 maximise, 3 close.
enum class CaptionButton : int { kNone = 0, kMinimise = 1, kMaximise = 2, kClose = 3 };

// What WM_NCHITTEST answers; the Win32 side maps each to its HT code.
enum class FrameHit {
  kClient,
  kCaption,
  kTopLeft,
  kTopRight,
  kBottomLeft,
  kBottomRight,
  kBottom,
  kLeft,
  kRight,
  kTop,
};

// Rectangle of a caption button in client DIPs for client width `width`; none for kNone and for
// the maximise button in the compact layout (which has none).
std::optional<RectF> captionButtonRect(CaptionButton button, float width, bool homeShown);
CaptionButton captionButtonAt(PointF point, float width, bool homeShown);

struct FrameHitInput {
  RectPx window;  // screen pixels
  RectPx client;  // screen pixels; equals `window` unless maximised (then the work area)
  PointPx point;  // screen pixels
  int dpi = 96;
  bool maximised = false;
  bool homeShown = false;
  const HitRegionList* regions = nullptr;  // last paint's regions; may be null
};

FrameHit frameHitTest(const FrameHitInput& input);

enum class CaptionAction { kNone, kClose, kMinimise, kMaximise, kRestore };

// Button up after a caption button was pressed with the mouse captured: acts only when released
// over the same button. Maximise toggles, and only on the home screen.
CaptionAction captionButtonUp(CaptionButton pressed, CaptionButton under, bool homeShown,
                              bool maximised);

// System maximise (SC_MAXIMIZE, a caption double-click) is ignored in the compact layout.
bool systemMaximiseAllowed(bool homeShown);

struct TrackLimits {
  SizeF minimum;                  // DIPs
  std::optional<SizeF> maximum;   // DIPs; none means unlimited
};
TrackLimits trackLimits(bool homeShown);

// The glyph lines of a caption button drawn in its rectangle (thin lines, 10-DIP glyphs).
std::vector<LineF> captionGlyph(CaptionButton button, const RectF& box, bool maximised);

}  // namespace px
