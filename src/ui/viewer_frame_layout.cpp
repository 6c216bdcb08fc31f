#include "ui/viewer_frame_layout.h"

#include <algorithm>

#include "ui/dip.h"

namespace px {

int viewerDpi(int screenDpi) { return std::max(screenDpi, kDefaultDpi); }

SizePx viewerClientSize(SizePx image, SizePx primaryScreen) {
  // An unreadable screen size would scale the window to nothing; keep the image size then.
  if (primaryScreen.width <= 0 || primaryScreen.height <= 0) return image;
  if (image.width <= 0 || image.height <= 0) return image;
  const double maxWidth = double(kViewerScreenFraction) * primaryScreen.width;
  const double maxHeight = double(kViewerScreenFraction) * primaryScreen.height;
  if (image.width <= maxWidth && image.height <= maxHeight) return image;
  const double scale = std::min(maxWidth / image.width, maxHeight / image.height);
  return {int(image.width * scale), int(image.height * scale)};
}

SizePx viewerWindowSize(SizePx client, int dpi) {
  const int side = dipsToPixels(kViewMargin, dpi);
  return {client.width + 2 * side, client.height + dipsToPixels(kViewTop + kViewMargin, dpi)};
}

PointPx viewerWindowOrigin(unsigned openedBefore) {
  const int at = int(openedBefore % kViewerCascadeSteps) * kViewerCascadeStep + kViewerCascadeOrigin;
  return {at, at};
}

SizePx viewerMinimumTrackSize(int dpi) { return dipsToPixels(kViewerMinimumSize, dpi); }

RectPx viewerClientForProposed(const RectPx& proposed, const RectPx& monitor,
                               const RectPx& workArea, bool maximised) {
  // A window sized over its whole monitor would hide the taskbar; treat it as maximised.
  const bool coversMonitor =
      proposed.width() >= monitor.width() && proposed.height() >= monitor.height();
  return maximised || coversMonitor ? workArea : proposed;
}

int viewerDwmBottomMargin(bool maximised) { return maximised ? 0 : 1; }

ViewerAreas layoutViewerAreas(SizePx client, int dpi, bool maximised, bool chatVisible) {
  ViewerAreas a;
  a.sideMargin = maximised ? 0 : dipsToPixels(kViewMargin, dpi);
  a.chatWidth = chatVisible ? dipsToPixels(kChatPanelWidth, dpi) : 0;
  const int m = a.sideMargin, top = dipsToPixels(kViewTop, dpi);
  const int width = std::max(1, client.width - 2 * m - a.chatWidth);
  const int height = std::max(1, client.height - top - m);
  a.view = {m, top, m + width, top + height};
  return a;
}

FrameHit viewerFrameHit(const RectPx& window, const RectPx& client, PointPx point, int dpi,
                        bool maximised) {
  // The main window's frame with every caption button present and no painted title-bar
  // buttons: the same resize band, strip and buttons.
  FrameHitInput in{window, client, point, dpi, maximised, /*homeShown=*/true, nullptr};
  return frameHitTest(in);
}

}  // namespace px
