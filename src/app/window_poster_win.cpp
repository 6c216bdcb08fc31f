#include "app/window_poster_win.h"

namespace px {

bool WindowPoster::post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const HWND window = window_.load();
  return window != nullptr && ::PostMessageW(window, message, wParam, lParam) != 0;
}

}  // namespace px
