// The X11 capturer and injector on a named display ("" means DISPLAY), for the headless tools and
// the X server tests. Linux only.
#pragma once

#include <memory>
#include <string>

#include "host/input_injector.h"
#include "host/screen_capturer.h"

namespace px {

std::unique_ptr<ScreenCapturer> createX11ScreenCapturer(const std::string& displayName);
// Null when the display cannot be opened or lacks the XTEST extension (logged).
std::unique_ptr<InputInjector> createX11InputInjector(const std::string& displayName);

}  // namespace px
