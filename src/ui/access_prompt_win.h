// The access prompt window: asks the local user whether a viewer may come in.
#pragma once

#include <windows.h>

#include <string_view>

namespace px {

struct PromptAnswer {
  bool accepted = false;
  bool allowControl = false;
};

// Runs on the host connection thread and blocks it with the prompt's own message loop until the
// window is gone. `mainWindow` may be null (the prompt then opens on the primary monitor at the
// system DPI). Refused when the window cannot be drawn.
PromptAnswer showAccessPrompt(std::string_view name, std::string_view id, HWND mainWindow);

}  // namespace px
