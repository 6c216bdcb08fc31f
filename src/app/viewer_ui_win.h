// The Windows side of a viewer session as far as the shell goes: the security alert as a message
// box owned by the main window.
#pragma once

#include <windows.h>

#include <atomic>

#include "app/shell_viewer_ui.h"

namespace px {

class WinViewerUi final : public ShellViewerUi {
 public:
  // `owner` holds the main window while it exists (null before and after).
  WinViewerUi(ShellViewerLinks links, const std::atomic<HWND>& owner)
      : ShellViewerUi(std::move(links)), owner_(owner) {}

  // Modal to the session thread only; the session ends once it is dismissed.
  void showSecurityAlert() override;

 private:
  const std::atomic<HWND>& owner_;
};

}  // namespace px
