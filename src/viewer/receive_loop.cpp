#include <optional>

#include "protocol/session_messages.h"
#include "viewer/thumbnail.h"
#include "viewer/viewer_session.h"

namespace px {
namespace {

// Returns false when the loop must end (Bye).
bool dispatch(ViewerSession& session, ViewerUi& ui, FrameReceiver& frames, uint8_t type,
              const Bytes& payload) {
  switch (MessageType(type)) {
    case MessageType::kFrameUpdate: {
      std::optional<ThumbnailCopy> thumbnail;
      if (frames.handleFrameUpdate(session.image, payload, thumbnail)) ui.frameDecoded(session);
      // Written outside the image lock, from the private copy.
      if (thumbnail && saveThumbnail(thumbnail->key, thumbnail->pixels.data(), thumbnail->width,
                                     thumbnail->height)) {
        ui.thumbnailSaved(thumbnail->key);
      }
      return true;
    }
    case MessageType::kCursorShape:
      ui.cursorShape(session, payload);
      return true;
    case MessageType::kChatText:
      if (handleChatText(session.chat, payload)) ui.chatReceived(session);
      return true;
    case MessageType::kMonitorList:
      if (handleMonitorList(session.overlay, payload)) ui.invalidate(session);
      return true;
    case MessageType::kMonitorSelected:
      if (handleMonitorSelected(session.image, session.overlay, session.controlGranted, payload))
        ui.invalidate(session);
      return true;
    case MessageType::kBye:
      return false;
    default:
      return true;  // Ping and unknown types are neither answered nor an error
  }
}

}  // namespace

void viewerReceiveLoop(ViewerSession& session, ViewerUi& ui) {
  // The channel outlives this thread: the session thread joins it before destroying the channel.
  SecureChannel* channel = session.channel.get();
  FrameReceiver frames;
  RecordHeader header;
  Bytes payload;
  while (channel && session.running.load() && ui.appRunning()) {
    if (!receiveRecord(*channel, header, payload)) break;
    if (!dispatch(session, ui, frames, header.type, payload)) break;
  }
  session.running.store(false);
  ui.postClose(session);
}

}  // namespace px
