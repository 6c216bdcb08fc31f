// The low-level keyboard hook of a session with control: keys typed while the viewer window is in
// front go to the host; the ones that would act on this computer (Windows keys, Alt+Tab, ...) are
// kept from it. Installed and removed on the session thread, which Windows calls it on.
#pragma once

#include <windows.h>

#include "viewer/viewer_session.h"

namespace px {

class KeyboardHook {
 public:
  KeyboardHook() = default;
  ~KeyboardHook() { remove(); }
  KeyboardHook(const KeyboardHook&) = delete;
  KeyboardHook& operator=(const KeyboardHook&) = delete;

  // One hook per thread. `chatEdit` may be null. False when the system refused the hook: the
  // session then has no keyboard input.
  bool install(ViewerSession& session, HWND viewerWindow, HWND chatEdit);
  void remove();

 private:
  HHOOK hook_ = nullptr;
};

}  // namespace px
