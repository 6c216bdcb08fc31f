#include "viewer/key_hook_decision.h"

namespace px {

bool keepFromLocalSystem(uint16_t virtualKey, uint32_t flags, bool controlHeld) {
  switch (virtualKey) {
    case kVkLeftWindows:
    case kVkRightWindows:
    case kVkApplications:
      return true;
    case kVkTab:
      return (flags & kKeyFlagAltDown) != 0;
    case kVkEscape:
      return (flags & kKeyFlagAltDown) != 0 || controlHeld;
    default:
      return false;
  }
}

bool focusLossReleasesKeys(const void* gainingFocus, const void* viewerWindow,
                           const void* viewWindow) {
  if (!gainingFocus) return true;
  return gainingFocus != viewerWindow && gainingFocus != viewWindow;
}

KeyHookDecision decideKeyHook(const KeyHookEvent& event, const KeyHookContext& context) {
  if (!event.action || !context.viewerForeground || context.chatEditFocused) return {};
  KeyHookDecision d;
  d.key.virtualKey = event.virtualKey;
  d.key.scanCode = event.scanCode;
  d.key.down = event.message == kMsgKeyDown || event.message == kMsgSysKeyDown;
  d.key.extended = (event.flags & kKeyFlagExtended) != 0;
  d.verdict = keepFromLocalSystem(event.virtualKey, event.flags, context.controlHeld)
                  ? KeyHookVerdict::kSendAndSwallow
                  : KeyHookVerdict::kSendAndPassOn;
  return d;
}

}  // namespace px
