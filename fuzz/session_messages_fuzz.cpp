// Every session-message parser and the viewer's handlers on hostile payloads. The first byte picks
// the message; whatever parses must build back to bytes that parse to the same value.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "protocol/session_messages.h"
#include "viewer/receive_handlers.h"

namespace {

template <typename T, typename Build, typename Parse>
void roundTrip(const std::optional<T>& value, Build build, Parse parse) {
  if (!value) return;
  const auto again = parse(build(*value));
  if (!again) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const px::ByteView payload(data + 1, size - 1);
  switch (data[0] % 12) {
    case 0:
      roundTrip(px::parseHostHello(payload), px::buildHostHello, px::parseHostHello);
      break;
    case 1:
      roundTrip(px::parseAccessRequest(payload), px::buildAccessRequest, px::parseAccessRequest);
      break;
    case 2:
      roundTrip(px::parseAccessReply(payload), px::buildAccessReply, px::parseAccessReply);
      break;
    case 3:
      roundTrip(px::parsePasswordParams(payload), px::buildPasswordParams, px::parsePasswordParams);
      break;
    case 4: {
      const auto shape = px::parseCursorShape(payload);
      px::Bytes out;
      if (shape && (!px::buildCursorShape(*shape, out) || !px::parseCursorShape(out)))
        __builtin_trap();
      break;
    }
    case 5: {
      const auto list = px::parseMonitorList(payload);
      px::Bytes out;
      if (list && !list->monitors.empty() &&
          (!px::buildMonitorList(*list, out) || !px::parseMonitorList(out))) {
        __builtin_trap();
      }
      static px::OverlayState overlay;
      px::handleMonitorList(overlay, payload);
      if (overlay.currentMonitor < 0 || overlay.currentMonitor > 7) __builtin_trap();
      break;
    }
    case 6: {
      roundTrip(px::parseMonitorSelected(payload), px::buildMonitorSelected,
                px::parseMonitorSelected);
      static px::ScreenImage image;
      static px::OverlayState overlay;
      px::handleMonitorSelected(image, overlay, true, payload);
      if (image.pixels.size() != size_t(image.width) * image.height * 4) __builtin_trap();
      break;
    }
    case 7:
      roundTrip(px::parseMouseInput(payload), px::buildMouseInput, px::parseMouseInput);
      break;
    case 8:
      roundTrip(px::parseKeyInput(payload), px::buildKeyInput, px::parseKeyInput);
      break;
    case 9:
      roundTrip(px::parseSelectMonitor(payload), px::buildSelectMonitor, px::parseSelectMonitor);
      break;
    case 10: {
      static px::ChatLog chat;
      px::handleChatText(chat, payload);
      if (chat.entries.size() > px::kMaxChatEntries) __builtin_trap();
      if (!chat.entries.empty() && chat.entries.back().text.size() > px::kMaxChatUnits)
        __builtin_trap();
      break;
    }
    default: {
      static px::ScreenImage image;
      static px::FrameReceiver receiver;
      if (image.width == 0) {
        std::lock_guard lock(image.lock);
        image.resetLocked(64, 48);
      }
      std::optional<px::ThumbnailCopy> thumbnail;
      receiver.handleFrameUpdate(image, payload, thumbnail);
      break;
    }
  }
  return 0;
}
