// The viewer window as a frame, in device pixels: its first size and place, its DPI, its size
// limits, what its client area is, where the view and the chat panel go, and what the pointer
// is over for WM_NCHITTEST. Each DIP quantity is rounded on its own, as the window system's
// side places child windows in whole pixels.
#pragma once

#include "ui/frame_layout.h"
#include "ui/geometry.h"

namespace px {

inline constexpr const char* kViewerWindowClass = "ParvolexViewer";
inline constexpr const char* kViewWindowClass = "ParvolexView";
inline constexpr const char* kViewerWindowName = "Parvolex";

inline constexpr float kViewTop = 116;         // DIPs: caption strip, then the overlay bar
inline constexpr float kViewMargin = 16;       // DIPs at the sides and bottom; 0 when maximised
inline constexpr float kChatPanelWidth = 280;  // DIPs, while the chat panel is shown
inline constexpr SizeF kViewerMinimumSize{640, 420};
inline constexpr float kViewerScreenFraction = 0.8f;  // of the primary screen, at most
inline constexpr int kViewerCascadeSteps = 6;
inline constexpr int kViewerCascadeStep = 28;     // pixels
inline constexpr int kViewerCascadeOrigin = 40;   // pixels

// The screen's DPI as read at creation: 96 when unknown (0) and never below 96.
int viewerDpi(int screenDpi);

// The first client size: the remote image, scaled down (both sides by one factor, truncated)
// when it would take more than 0.8 of the primary screen in either direction.
SizePx viewerClientSize(SizePx image, SizePx primaryScreen);

// The window size before the style's adjustment: the view's side margins and its top and bottom
// space around the client size.
SizePx viewerWindowSize(SizePx client, int dpi);

// Top-left corner of the n-th viewer window opened by this process (n counted from 0): windows
// cascade 28 pixels apart and start again after six.
PointPx viewerWindowOrigin(unsigned openedBefore);

// Minimum track size in pixels (the maximum is the nearest monitor's work area).
SizePx viewerMinimumTrackSize(int dpi);

// WM_NCCALCSIZE: maximised, or a proposed rectangle covering its monitor in both directions, gets
// the work area as client; otherwise the whole proposed rectangle is client.
RectPx viewerClientForProposed(const RectPx& proposed, const RectPx& monitor,
                               const RectPx& workArea, bool maximised);

// The DWM frame extended into the client area: one pixel at the bottom so the window keeps its
// shadow and rounded corners, none when maximised.
int viewerDwmBottomMargin(bool maximised);

struct ViewerAreas {
  RectPx view;       // client pixels; at least 1 × 1
  int sideMargin = 0;
  int chatWidth = 0;  // 0 while the chat panel is hidden
};

// Where the view goes in a client area of `client` pixels.
ViewerAreas layoutViewerAreas(SizePx client, int dpi, bool maximised, bool chatVisible);

// WM_NCHITTEST of the viewer window: the resize band when not maximised, the caption strip (not
// its buttons) to drag, client elsewhere. The viewer always has all three caption buttons.
FrameHit viewerFrameHit(const RectPx& window, const RectPx& client, PointPx point, int dpi,
                        bool maximised);

}  // namespace px
