// What one mouse message of the view becomes in MouseInput terms: the action, the button bit,
// the wheel delta, the capture change and what the message must return. Message numbers and
// parameters are the window system's own, so the view procedure passes them straight through.
#pragma once

#include <cstdint>
#include <optional>

#include "protocol/input_events.h"

namespace px {

inline constexpr uint32_t kMsgMouseMove = 0x0200;
inline constexpr uint32_t kMsgLeftDown = 0x0201;
inline constexpr uint32_t kMsgLeftUp = 0x0202;
inline constexpr uint32_t kMsgRightDown = 0x0204;
inline constexpr uint32_t kMsgRightUp = 0x0205;
inline constexpr uint32_t kMsgMiddleDown = 0x0207;
inline constexpr uint32_t kMsgMiddleUp = 0x0208;
inline constexpr uint32_t kMsgWheel = 0x020A;
inline constexpr uint32_t kMsgExtraDown = 0x020B;
inline constexpr uint32_t kMsgExtraUp = 0x020C;
inline constexpr uint32_t kMsgHorizontalWheel = 0x020E;

enum class MouseCapture { kKeep, kTake, kRelease };

struct ViewMouseInput {
  uint8_t action = kMouseMove;
  uint32_t button = 0;
  int32_t wheelDelta = 0;
  MouseCapture capture = MouseCapture::kKeep;
  bool screenPosition = false;  // wheel messages: convert to view client coordinates first
  bool returnsTrue = false;     // extra-button messages must return TRUE
};

// Nothing for messages that are not mouse input, and for an extra-button message naming neither
// extra button. `wParam` as the message carries it (the high word holds the extra button or the
// signed wheel delta).
std::optional<ViewMouseInput> viewMouseInput(uint32_t message, uint64_t wParam);

}  // namespace px
