// What the pointer is over in the viewer window's painted overlay, and what a left click there
// does: the chat toggle first, then a monitor tab, then a caption button. Session thread only.
#pragma once

#include "ui/frame_layout.h"
#include "ui/viewer_overlay_layout.h"

namespace px {

// Index of the tab under the point, or -1.
int tabAt(const ViewerOverlayLayout& layout, PointF point);
bool chatToggleAt(const ViewerOverlayLayout& layout, PointF point);

struct ViewerHover {
  CaptionButton caption = CaptionButton::kNone;
  int tab = -1;
  bool chatToggle = false;
  bool any() const { return caption != CaptionButton::kNone || tab >= 0 || chatToggle; }
  friend bool operator==(const ViewerHover&, const ViewerHover&) = default;
};

// `width` is the client width in DIPs (the caption buttons are right-aligned to it).
ViewerHover viewerHoverAt(const ViewerOverlayLayout& layout, PointF point, float width);

// Stores `next`; true when it differs, so the window repaints.
bool updateViewerHover(ViewerHover& stored, const ViewerHover& next);

enum class ViewerClickAction {
  kNone,
  kToggleChat,          // flip the panel, lay out again, focus the edit box when now shown
  kSelectMonitor,       // send SelectMonitor with `monitor`
  kPressCaptionButton,  // remember `caption` and capture the mouse
};

struct ViewerClick {
  ViewerClickAction action = ViewerClickAction::kNone;
  int monitor = -1;
  CaptionButton caption = CaptionButton::kNone;
  friend bool operator==(const ViewerClick&, const ViewerClick&) = default;
};

// Left button down. A tab asks for its monitor only when it is not the current one and the host
// listed it; the tab changes when the host confirms.
ViewerClick viewerClickAt(const ViewerOverlayLayout& layout, PointF point, float width,
                          int currentMonitor, int monitorCount);

// Button up after a caption button was pressed: acts only over the same button; maximise
// restores a maximised window.
CaptionAction viewerCaptionButtonUp(CaptionButton pressed, CaptionButton under, bool maximised);

}  // namespace px
