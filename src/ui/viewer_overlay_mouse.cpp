#include "ui/viewer_overlay_mouse.h"

namespace px {

int tabAt(const ViewerOverlayLayout& layout, PointF point) {
  for (size_t i = 0; i < layout.tabs.size(); ++i) {
    if (layout.tabs[i].contains(point)) return int(i);
  }
  return -1;
}

bool chatToggleAt(const ViewerOverlayLayout& layout, PointF point) {
  return layout.chatToggle.contains(point);
}

ViewerHover viewerHoverAt(const ViewerOverlayLayout& layout, PointF point, float width) {
  return {captionButtonAt(point, width, /*homeShown=*/true), tabAt(layout, point),
          chatToggleAt(layout, point)};
}

bool updateViewerHover(ViewerHover& stored, const ViewerHover& next) {
  if (stored == next) return false;
  stored = next;
  return true;
}

ViewerClick viewerClickAt(const ViewerOverlayLayout& layout, PointF point, float width,
                          int currentMonitor, int monitorCount) {
  if (chatToggleAt(layout, point)) return {ViewerClickAction::kToggleChat};
  if (const int tab = tabAt(layout, point); tab >= 0) {
    if (tab == currentMonitor || tab >= monitorCount) return {};
    return {ViewerClickAction::kSelectMonitor, tab};
  }
  const CaptionButton button = captionButtonAt(point, width, /*homeShown=*/true);
  if (button == CaptionButton::kNone) return {};
  return {ViewerClickAction::kPressCaptionButton, -1, button};
}

CaptionAction viewerCaptionButtonUp(CaptionButton pressed, CaptionButton under, bool maximised) {
  return captionButtonUp(pressed, under, /*homeShown=*/true, maximised);
}

}  // namespace px
