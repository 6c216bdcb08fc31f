// Posts to the main window once it exists, and never after it is gone: the shell sets the
// window after creating it and clears it in WM_DESTROY, so a late worker report is refused (its
// record then freed by WorkerReports) instead of reaching a dead or reused handle.
#pragma once

#include <windows.h>

#include <atomic>

#include "app/message_poster.h"

namespace px {

class WindowPoster final : public MessagePoster {
 public:
  void setWindow(HWND window) { window_.store(window); }
  bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  std::atomic<HWND> window_{nullptr};
};

}  // namespace px
