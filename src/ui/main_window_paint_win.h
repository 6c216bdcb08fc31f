// Painting of the main window's frame and compact view with Direct2D: the caption strip, the
// "Acessar" button, the ID card, the access-password link, the session buttons and the status
// line. Every rectangle comes from the layouts; this file only draws and registers regions.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <string>

#include "ui/compact_layout.h"
#include "ui/hit_regions.h"
#include "ui/main_mouse.h"
#include "ui/rgb.h"

namespace px {

// The main window's text formats, made once per process from the theme.
struct MainTextFormats {
  Microsoft::WRL::ComPtr<IDWriteTextFormat> title, body, id, hint, button, small, smallRight;
  bool create(IDWriteFactory* factory);
};

struct MainPaintInput {
  SizeF client;  // DIPs
  bool maximised = false;
  HoverState hover;
  CompactViewInput compact;  // measures are filled in by paintMainWindow
  std::string statusText;
  Rgb statusDot;
};

// Measures what the layout needs, paints the whole client area and fills `regions` in paint
// order.
void paintMainWindow(ID2D1RenderTarget* target, IDWriteFactory* factory,
                     const MainTextFormats& formats, MainPaintInput input, HitRegionList& regions);

}  // namespace px
