#include "viewer/view_mouse.h"

namespace px {
namespace {

uint16_t highWord(uint64_t wParam) { return uint16_t((wParam >> 16) & 0xFFFF); }

ViewMouseInput button(uint32_t bit, bool down) {
  ViewMouseInput in;
  in.action = down ? kMousePress : kMouseRelease;
  in.button = bit;
  in.capture = down ? MouseCapture::kTake : MouseCapture::kRelease;
  return in;
}

ViewMouseInput wheel(uint8_t action, uint64_t wParam) {
  ViewMouseInput in;
  in.action = action;
  in.wheelDelta = int16_t(highWord(wParam));
  in.screenPosition = true;
  return in;
}

std::optional<ViewMouseInput> extraButton(uint64_t wParam, bool down) {
  // The high word names the extra button: 1 the first, 2 the second.
  const uint16_t which = highWord(wParam);
  if (which != 1 && which != 2) return std::nullopt;
  ViewMouseInput in = button(which == 1 ? kButtonX1 : kButtonX2, down);
  in.returnsTrue = true;
  return in;
}

}  // namespace

std::optional<ViewMouseInput> viewMouseInput(uint32_t message, uint64_t wParam) {
  switch (message) {
    case kMsgMouseMove: return ViewMouseInput{};
    case kMsgLeftDown: return button(kButtonLeft, true);
    case kMsgLeftUp: return button(kButtonLeft, false);
    case kMsgRightDown: return button(kButtonRight, true);
    case kMsgRightUp: return button(kButtonRight, false);
    case kMsgMiddleDown: return button(kButtonMiddle, true);
    case kMsgMiddleUp: return button(kButtonMiddle, false);
    case kMsgExtraDown: return extraButton(wParam, true);
    case kMsgExtraUp: return extraButton(wParam, false);
    case kMsgWheel: return wheel(kMouseWheel, wParam);
    case kMsgHorizontalWheel: return wheel(kMouseHWheel, wParam);
    default: return std::nullopt;
  }
}

}  // namespace px
