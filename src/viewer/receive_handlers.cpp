#include "viewer/receive_handlers.h"

#include <cstdio>

#include "base/log.h"
#include "protocol/frame_format.h"
#include "protocol/session_messages.h"
#include "viewer/utf16_text.h"

namespace px {
namespace {

constexpr size_t kMaxStatusUnits = 160;

// A legacy frame unpacks to a 10-byte header and at most 65535 rectangles of 12-byte headers and
// run-length data; no honest encoding needs more than 8 bytes per image pixel.
size_t legacyUnpackLimit(int width, int height) {
  return std::min(kMaxBlobSize, 10 + size_t(65535) * 12 + size_t(width) * height * 8);
}

bool isBlank(char16_t c) { return c == u' '; }

}  // namespace

std::u16string formatStatusText(int width, int height, bool controlGranted) {
  char text[256];
  std::snprintf(text, sizeof text, "%d \xC3\x97 %d    %s", width, height,
                controlGranted ? "Controle" : "Somente visualiza\xC3\xA7\xC3\xA3o");
  std::u16string out = utf8ToUtf16(text);
  if (out.size() > kMaxStatusUnits) out.resize(kMaxStatusUnits);
  return out;
}

bool FrameReceiver::decodeLocked(ScreenImage& image, ByteView payload) {
  if (image.width < 1 || image.height < 1 ||
      image.pixels.size() != size_t(image.width) * image.height * 4) {
    return false;
  }
  const uint32_t magic = payload.size() >= 4 ? loadLe32(payload.data()) : 0;
  if (magic == kFrameMagic) {
    const bool ok =
        decoder_.decodeTiledFrame(payload, image.pixels.data(), image.width, image.height);
    if (!ok && ++failures_ <= kMaxFrameLogLines) {
      logPrintf("[VIEWER] decode tiles FALHOU (pl=%lu)\n", (unsigned long)payload.size());
    }
    return ok;
  }
  ++failures_;
  if (!decoder_.unpackBlob(payload, unpacked_, legacyUnpackLimit(image.width, image.height))) {
    if (failures_ <= kMaxFrameLogLines)
      logPrintf("[VIEWER] unpack FALHOU (pl=%lu)\n", (unsigned long)payload.size());
    return false;
  }
  const bool ok = decodeRectFrame(unpacked_, image.pixels.data(), image.width, image.height);
  if (failures_ <= kMaxFrameLogLines) {
    const uint8_t* px0 = image.pixels.data();
    logPrintf("[VIEWER] frame pl=%lu desc=%lu decode=%d px0=%02X%02X%02X\n",
              (unsigned long)payload.size(), (unsigned long)unpacked_.size(), ok ? 1 : 0, px0[2],
              px0[1], px0[0]);
  }
  return ok;
}

bool FrameReceiver::handleFrameUpdate(ScreenImage& image, ByteView payload,
                                      std::optional<ThumbnailCopy>& thumbnail) {
  thumbnail.reset();
  std::lock_guard lock(image.lock);
  if (!decodeLocked(image, payload)) return false;
  image.frameReady.store(true);
  const int countdown = image.thumbnailCountdown.load();
  if (countdown > 0 && !image.thumbnailKey.empty()) {
    if (countdown == 1) {
      thumbnail.emplace();
      thumbnail->key = image.thumbnailKey;
      thumbnail->width = image.width;
      thumbnail->height = image.height;
      try {
        thumbnail->pixels = image.pixels;
      } catch (const std::bad_alloc&) {
        thumbnail.reset();
      }
    }
    image.thumbnailCountdown.store(countdown - 1);
  }
  return true;
}

bool handleMonitorSelected(ScreenImage& image, OverlayState& overlay, bool controlGranted,
                           ByteView payload) {
  const auto message = parseMonitorSelected(payload);
  if (!message) return false;
  const int width = message->width, height = message->height;
  {
    std::lock_guard lock(image.lock);
    if (width != image.width || height != image.height) {
      // A size no real monitor has is refused whole rather than allocated.
      if (!image.resetLocked(width, height)) return false;
    }
    image.publishedWidth.store(width);
    image.publishedHeight.store(height);
  }
  {
    std::lock_guard lock(overlay.lock);
    overlay.currentMonitor = message->index;
    overlay.statusText = formatStatusText(width, height, controlGranted);
  }
  logPrintf("[VIEWER] monitor %d %dx%d\n", message->index + 1, width, height);
  return true;
}

bool handleMonitorList(OverlayState& overlay, ByteView payload) {
  const auto list = parseMonitorList(payload);
  if (!list) return false;
  const int count = int(list->monitors.size());
  std::lock_guard lock(overlay.lock);
  overlay.monitorCount = count;
  overlay.currentMonitor = list->current < count ? list->current : 0;
  return true;
}

bool handleChatText(ChatLog& chat, ByteView payload) {
  const auto text = parseChatText(payload);
  if (!text) return false;
  std::u16string line = utf8ToUtf16(*text);
  for (char16_t& c : line) {
    if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
  }
  size_t begin = 0, end = line.size();
  while (begin < end && isBlank(line[begin])) ++begin;
  while (end > begin && isBlank(line[end - 1])) --end;
  line = line.substr(begin, std::min(end - begin, kMaxChatUnits));
  // Never keep half of a surrogate pair at the cut.
  if (!line.empty() && line.back() >= 0xD800 && line.back() <= 0xDBFF) line.pop_back();
  if (line.empty()) return false;
  std::lock_guard lock(chat.lock);
  if (chat.entries.size() >= kMaxChatEntries) chat.entries.pop_front();
  chat.entries.push_back({false, std::move(line)});
  return true;
}

}  // namespace px
