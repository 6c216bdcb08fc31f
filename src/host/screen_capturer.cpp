#include "host/screen_capturer.h"

namespace px {

void ScreenCapturer::noteCreateFailure(const char* call, const OsError& error) {
  logOsError("[HOST]", call, error);
  lastFailure_ = std::string(call) + ": " + describeOsError(error);
}

}  // namespace px
