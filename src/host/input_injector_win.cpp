// SendInput injection: one INPUT record per call, absolute coordinates over the virtual desktop.
#include <windows.h>

#include <algorithm>

#include "base/log.h"
#include "host/input_injector.h"

namespace px {
namespace {

static_assert(kMouseFlagMove == MOUSEEVENTF_MOVE && kMouseFlagLeftDown == MOUSEEVENTF_LEFTDOWN &&
              kMouseFlagLeftUp == MOUSEEVENTF_LEFTUP &&
              kMouseFlagRightDown == MOUSEEVENTF_RIGHTDOWN &&
              kMouseFlagRightUp == MOUSEEVENTF_RIGHTUP &&
              kMouseFlagMiddleDown == MOUSEEVENTF_MIDDLEDOWN &&
              kMouseFlagMiddleUp == MOUSEEVENTF_MIDDLEUP && kMouseFlagXDown == MOUSEEVENTF_XDOWN &&
              kMouseFlagXUp == MOUSEEVENTF_XUP && kMouseFlagWheel == MOUSEEVENTF_WHEEL &&
              kMouseFlagHWheel == MOUSEEVENTF_HWHEEL &&
              kMouseFlagVirtualDesk == MOUSEEVENTF_VIRTUALDESK &&
              kMouseFlagAbsolute == MOUSEEVENTF_ABSOLUTE);
static_assert(kXButton1 == XBUTTON1 && kXButton2 == XBUTTON2);
static_assert(kKeyFlagExtended == KEYEVENTF_EXTENDEDKEY && kKeyFlagUp == KEYEVENTF_KEYUP &&
              kKeyFlagScanCode == KEYEVENTF_SCANCODE);

VirtualScreen virtualScreen() {
  return VirtualScreen{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       std::max(GetSystemMetrics(SM_CXVIRTUALSCREEN), 1),
                       std::max(GetSystemMetrics(SM_CYVIRTUALSCREEN), 1)};
}

class WinInputInjector : public InputInjector {
 public:
  void injectMouse(const MouseEvent& e, const PixelRect& monitor) override {
    const MouseInjection m = mouseInjection(clampToMonitor(e, monitor), monitor, virtualScreen());
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = m.dx;
    input.mi.dy = m.dy;
    input.mi.mouseData = m.mouseData;
    input.mi.dwFlags = m.flags;
    SendInput(1, &input, sizeof(INPUT));  // a refused event (another desktop) is dropped
  }

  void injectKey(const KeyEvent& e) override {
    const KeyInjection k = keyInjection(e);
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = k.virtualKey;
    input.ki.wScan = k.scanCode;
    input.ki.dwFlags = k.flags;
    SendInput(1, &input, sizeof(INPUT));
  }
};

}  // namespace

std::unique_ptr<InputInjector> createInputInjector() {
  return std::make_unique<WinInputInjector>();
}

}  // namespace px
