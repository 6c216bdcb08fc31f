// Painting of the viewer window's overlay with Direct2D: caption strip, the bar with the remote's
// name, chat toggle, monitor tabs and status text, and the chat panel's messages. Every rectangle
// comes from the overlay layout; this file only draws.
#pragma once

#include <d2d1.h>
#include <dwrite.h>

#include <deque>
#include <string>

#include "ui/chat_entry.h"
#include "ui/viewer_overlay_layout.h"
#include "ui/viewer_overlay_mouse.h"

namespace px {

struct ViewerOverlayFormats {
  IDWriteTextFormat* title = nullptr;
  IDWriteTextFormat* name = nullptr;
  IDWriteTextFormat* status = nullptr;
  IDWriteTextFormat* tab = nullptr;
  IDWriteTextFormat* chatLine = nullptr;
};

struct ViewerOverlayPaint {
  SizeF client;  // DIPs
  bool maximised = false;
  ViewerHover hover;
  std::u16string remoteName;
  std::u16string status;
  int currentMonitor = 0;
  const std::deque<ChatEntry>* chat = nullptr;  // read under the chat lock by the caller
};

void paintViewerOverlay(ID2D1RenderTarget* rt, IDWriteFactory* dwrite,
                        const ViewerOverlayFormats& f, const ViewerOverlayLayout& layout,
                        const ViewerOverlayPaint& in);

}  // namespace px
