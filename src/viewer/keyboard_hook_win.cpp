#include "viewer/keyboard_hook_win.h"

#include "viewer/key_hook_decision.h"
#include "viewer/viewer_input.h"

namespace px {
namespace {

// The hook procedure has no context argument; it runs on the thread that installed it.
struct HookTarget {
  ViewerSession* session = nullptr;
  HWND viewerWindow = nullptr;
  HWND chatEdit = nullptr;
};
thread_local HookTarget hookTarget;

LRESULT CALLBACK keyboardHookProc(int code, WPARAM wParam, LPARAM lParam) {
  const HookTarget& target = hookTarget;
  if (!target.session || code != HC_ACTION) return CallNextHookEx(nullptr, code, wParam, lParam);
  const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  KeyHookEvent e;
  e.message = uint32_t(wParam);
  e.virtualKey = uint16_t(event->vkCode);
  e.scanCode = uint16_t(event->scanCode);
  e.flags = event->flags;
  KeyHookContext context;
  context.viewerForeground = GetForegroundWindow() == target.viewerWindow;
  context.chatEditFocused = target.chatEdit && GetFocus() == target.chatEdit;
  context.controlHeld = (GetAsyncKeyState(VK_CONTROL) & 0x8000) != 0;
  const KeyHookDecision decision = decideKeyHook(e, context);
  if (decision.verdict == KeyHookVerdict::kPassOn) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }
  sendKey(*target.session, decision.key.virtualKey, decision.key.scanCode, decision.key.down,
          decision.key.extended);
  if (decision.verdict == KeyHookVerdict::kSendAndSwallow) return 1;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool KeyboardHook::install(ViewerSession& session, HWND viewerWindow, HWND chatEdit) {
  remove();
  hookTarget = {&session, viewerWindow, chatEdit};
  hook_ = SetWindowsHookExW(WH_KEYBOARD_LL, keyboardHookProc, GetModuleHandleW(nullptr), 0);
  if (!hook_) hookTarget = {};
  return hook_ != nullptr;
}

void KeyboardHook::remove() {
  if (!hook_) return;
  UnhookWindowsHookEx(hook_);
  hook_ = nullptr;
  hookTarget = {};
}

}  // namespace px
