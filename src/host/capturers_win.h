// The two Windows capture backends on their own, for the fallback that combines them and for
// tests of each. Windows only.
#pragma once

#include <memory>

#include "host/screen_capturer.h"

namespace px {

// Desktop duplication (screen_capturer_dxgi.cpp).
std::unique_ptr<ScreenCapturer> createDxgiScreenCapturer();
// BitBlt from the screen into a DIB, changes found by comparing images
// (screen_capturer_gdi_win.cpp).
std::unique_ptr<ScreenCapturer> createGdiScreenCapturer();

}  // namespace px
