// What the viewer's receive thread does with each host message, on state shared with the session
// thread. Each handler takes the locks it needs and returns what the caller must do in the window
// system (invalidate, post), which stays in the platform code.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <string>

#include "base/bytes.h"
#include "ui/chat_entry.h"
#include "viewer/frame_decoder.h"
#include "viewer/screen_image.h"

namespace px {

// Monitor tabs and the size/mode line of the viewer overlay.
struct OverlayState {
  std::mutex lock;
  int monitorCount = 0;       // guarded by lock
  int currentMonitor = 0;     // guarded by lock
  std::u16string statusText;  // guarded by lock
};

struct ChatLog {
  std::mutex lock;
  std::deque<ChatEntry> entries;  // guarded by lock; oldest first, at most kMaxChatEntries
};

inline constexpr size_t kMaxChatUnits = 500;
inline constexpr int kThumbnailAfterFrames = 12;
inline constexpr int kMaxFrameLogLines = 3;

// "1920 × 1080    Controle" or "... Somente visualização", at most 160 UTF-16 units.
std::u16string formatStatusText(int width, int height, bool controlGranted);

// The picture for the thumbnail, copied under the image lock.
struct ThumbnailCopy {
  std::string key;
  int width = 0;
  int height = 0;
  Bytes pixels;
};

// Receive-thread state for frames: the decoder and the diagnostic counter.
class FrameReceiver {
 public:
  // Decodes one FrameUpdate into the image under its lock. On success sets frame ready and counts
  // down to the thumbnail; `thumbnail` receives the copy on the frame that reaches it.
  bool handleFrameUpdate(ScreenImage& image, ByteView payload,
                         std::optional<ThumbnailCopy>& thumbnail);

 private:
  bool decodeLocked(ScreenImage& image, ByteView payload);

  FrameDecoder decoder_;
  Bytes unpacked_;
  int failures_ = 0;
};

// MonitorSelected: a new size turns the image black. True when the window must be invalidated.
bool handleMonitorSelected(ScreenImage& image, OverlayState& overlay, bool controlGranted,
                           ByteView payload);
// MonitorList: stores the count and current index. True when the window must be invalidated.
bool handleMonitorList(OverlayState& overlay, ByteView payload);
// ChatText: cleans the line and appends it as received. True when WM_APP_CHAT must be posted.
bool handleChatText(ChatLog& chat, ByteView payload);

}  // namespace px
