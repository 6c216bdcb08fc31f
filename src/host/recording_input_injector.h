// An injector for tests and headless runs: records the records a SendInput backend would send for
// a given virtual desktop, without touching the real input queue.
#pragma once

#include <vector>

#include "host/input_injector.h"

namespace px {

class RecordingInputInjector : public InputInjector {
 public:
  explicit RecordingInputInjector(const VirtualScreen& screen) : screen_(screen) {}

  void injectMouse(const MouseEvent& e, const PixelRect& monitor) override {
    mouse.push_back(mouseInjection(clampToMonitor(e, monitor), monitor, screen_));
  }
  void injectKey(const KeyEvent& e) override { keys.push_back(keyInjection(e)); }

  std::vector<MouseInjection> mouse;
  std::vector<KeyInjection> keys;

 private:
  VirtualScreen screen_;
};

}  // namespace px
