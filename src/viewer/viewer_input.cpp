#include "viewer/viewer_input.h"

#include <algorithm>
#include <utility>

#include "protocol/session_messages.h"
#include "viewer/picture_fit.h"

namespace px {

RemotePoint mapToRemote(int clientWidth, int clientHeight, int remoteWidth, int remoteHeight,
                        int x, int y) {
  // The renderer's own fit, so a pointer over a picture pixel lands on that pixel.
  const PictureFit fit = fitPicture(clientWidth, clientHeight, remoteWidth, remoteHeight);
  const float rw = float(std::max(remoteWidth, 1)), rh = float(std::max(remoteHeight, 1));
  const float u = std::clamp((float(x) - fit.left) / fit.width, 0.0f, 1.0f);
  const float v = std::clamp((float(y) - fit.top) / fit.height, 0.0f, 1.0f);
  return {int32_t(u * rw), int32_t(v * rh)};
}

RemotePoint mapToRemote(const ViewerSession& session, int clientWidth, int clientHeight, int x,
                        int y) {
  return mapToRemote(clientWidth, clientHeight, session.image.publishedWidth.load(),
                     session.image.publishedHeight.load(), x, y);
}

void sendMouse(ViewerSession& session, uint8_t action, int32_t x, int32_t y, uint32_t buttons,
               int32_t wheelDelta) {
  // The channel pointer outlives the window and its input (teardown order), so no lock here.
  SecureChannel* channel = session.channel.get();
  if (!channel) return;
  MouseInput m;
  m.x = x;
  m.y = y;
  m.buttons = buttons;
  m.wheelDelta = wheelDelta;
  m.action = action;
  sendRecord(*channel, uint8_t(MessageType::kMouseInput), buildMouseInput(m));
}

void sendMouseMove(ViewerSession& session, RemotePoint point) {
  if (session.lastMouseX.load() == point.x && session.lastMouseY.load() == point.y) return;
  session.lastMouseX.store(point.x);
  session.lastMouseY.store(point.y);
  sendMouse(session, uint8_t(kMouseMove), point.x, point.y, 0, 0);
}

void sendKey(ViewerSession& session, uint16_t virtualKey, uint16_t scanCode, bool down,
             bool extended) {
  if (SecureChannel* channel = session.channel.get()) {
    sendRecord(*channel, uint8_t(MessageType::kKeyInput),
               buildKeyInput({virtualKey, scanCode, down, extended}));
  }
  std::lock_guard lock(session.keyLock);
  auto& keys = session.pressedKeys;
  const auto it = std::find(keys.begin(), keys.end(), virtualKey);
  if (down && it == keys.end()) keys.push_back(virtualKey);
  if (!down && it != keys.end()) keys.erase(it);
}

void releaseAllKeys(ViewerSession& session, ViewerUi& ui) {
  std::vector<uint16_t> held;
  {
    std::lock_guard lock(session.keyLock);
    held = std::exchange(session.pressedKeys, {});
  }
  SecureChannel* channel = session.channel.get();
  if (!channel) return;
  for (const uint16_t key : held) {
    sendRecord(*channel, uint8_t(MessageType::kKeyInput),
               buildKeyInput({key, ui.scanCodeForKey(key), false, false}));
  }
}

}  // namespace px
