// Mouse and keyboard input of the viewer window, sent to the host as MouseInput and KeyInput.
// Runs on the session thread; only the published image size is read from the receive thread.
#pragma once

#include <cstdint>

#include "viewer/viewer_session.h"

namespace px {

struct RemotePoint {
  int32_t x = 0;
  int32_t y = 0;
};

// Maps a point of the view (client pixels, clientWidth x clientHeight) to the remote screen of
// remoteWidth x remoteHeight with the renderer's letterboxed fit. The bars map to the nearest edge;
// the right and bottom edges map to the remote width and height themselves.
RemotePoint mapToRemote(int clientWidth, int clientHeight, int remoteWidth, int remoteHeight,
                        int x, int y);
// The same with the session's published image size.
RemotePoint mapToRemote(const ViewerSession& session, int clientWidth, int clientHeight, int x,
                        int y);

// One MouseInput when the session has a channel. Not checked: a lost connection ends the session
// through the receive thread.
void sendMouse(ViewerSession& session, uint8_t action, int32_t x, int32_t y, uint32_t buttons,
               int32_t wheelDelta);
// A move: sent only when the remote position differs from the last one sent.
void sendMouseMove(ViewerSession& session, RemotePoint point);

// One KeyInput, and the pressed-keys bookkeeping that releaseAllKeys relies on.
void sendKey(ViewerSession& session, uint16_t virtualKey, uint16_t scanCode, bool down,
             bool extended);
// Sends a key-up for every key still held, in the order they were pressed, and empties the list.
void releaseAllKeys(ViewerSession& session, ViewerUi& ui);

}  // namespace px
