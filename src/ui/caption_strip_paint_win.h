// The caption strip every Parvolex frame paints with Direct2D: the application mark, the title,
// the caption buttons with their hover backgrounds and the line under the strip.
#pragma once

#include <d2d1.h>
#include <dwrite.h>

#include "ui/frame_layout.h"

namespace px {

struct CaptionStripInput {
  float width = 0;  // client width in DIPs
  CaptionButton hovered = CaptionButton::kNone;
  bool maximised = false;
  bool withMaximise = true;  // the compact main window has no maximise button
};

void drawCaptionStrip(ID2D1RenderTarget* rt, IDWriteTextFormat* titleFormat,
                      const CaptionStripInput& in);

}  // namespace px
