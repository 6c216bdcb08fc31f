// Painting of the main window with Direct2D: the caption strip, the compact view with its login
// and password screens, the home screen with its cards, and the status line. Every rectangle
// comes from the layouts; this file only draws and registers regions.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <memory>
#include <optional>
#include <string>

#include "ui/card_paint_win.h"
#include "ui/compact_layout.h"
#include "ui/hit_regions.h"
#include "ui/main_controls_layout.h"
#include "ui/main_mouse.h"
#include "ui/rgb.h"

namespace px {

// The main window's text formats, made once per process from the theme.
struct MainTextFormats {
  Microsoft::WRL::ComPtr<IDWriteTextFormat> title, body, id, hint, button, small, smallRight,
      card;
  bool create(IDWriteFactory* factory);
};

struct MainPaintInput {
  SizeF client;  // DIPs
  bool maximised = false;
  HoverState hover;
  CompactViewInput compact;  // measures are filled in by paintMainWindow
  std::string statusText;
  Rgb statusDot;
  bool homeShown = false;
  bool loginShown = false;
  bool passwordScreenShown = false;
  bool loginInProgress = false;
  bool rememberLogin = true;
  std::string loginError;
  std::string passwordError;  // of the password screen
  std::string accountName;    // beside "Sair"
  std::optional<MainControl> focusedEdit;
  CardSectionLayout cards;    // home screen only
};

// Measures what the layout needs, paints the whole client area and fills `regions` in paint
// order.
void paintMainWindow(ID2D1RenderTarget* target, IDWriteFactory* factory,
                     const MainTextFormats& formats, MainPaintInput input, CardBitmaps& bitmaps,
                     HitRegionList& regions);

}  // namespace px
