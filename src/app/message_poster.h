// Delivery of one posted message to the main window, apart from the window system so that the
// reports and their handling can be tested without windows.
#pragma once

#include <cstdint>

namespace px {

class MessagePoster {
 public:
  virtual ~MessagePoster() = default;
  // Any thread. False when there is no main window (not yet, or no longer) or the post failed;
  // the caller then still owns whatever lParam points to.
  virtual bool post(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

}  // namespace px
