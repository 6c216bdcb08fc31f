// Screen capture of one monitor at a time: a full BGRA copy of the monitor in system memory,
// refreshed only where the platform reports changes, plus the pointer's position and image.
// One backend per platform (DXGI desktop duplication on Windows, X11 on Linux) behind one
// interface; a capturer is used by one thread only (the host's capture thread).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "base/os_error.h"

namespace px {

// Pixels; right and bottom exclusive. Dirty rectangles are in monitor pixels, monitor rectangles
// in virtual-desktop coordinates.
struct PixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;

  int32_t width() const { return right - left; }
  int32_t height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect&) const = default;
};

// One capturable monitor. On X11 the adapter is always 0 and the output is the monitor's position
// in the server's monitor list.
struct MonitorInfo {
  uint32_t adapterIndex = 0;
  uint32_t outputIndex = 0;
  int32_t width = 0;  // desktop.right - desktop.left
  int32_t height = 0;
  PixelRect desktop;

  bool operator==(const MonitorInfo&) const = default;
};

// What one acquire did, and so what the caller does next.
enum class CaptureResult {
  kNewFrame,   // the image, dirty list and cursor state were updated: encode
  kTimeout,    // nothing changed within the wait: try again
  kRecreated,  // access was lost and capture was created again (generation raised): try again
  kFailed,     // no capture right now (no duplication, re-creation or copy failed): try again later
};

// The pointer image, B G R A per pixel, rows top to bottom; alpha 0 transparent, 255 opaque.
struct CursorImage {
  int32_t width = 0;
  int32_t height = 0;
  int32_t hotX = 0;
  int32_t hotY = 0;
  Bytes pixels;  // width * height * 4
};

// Everything the last acquire produced. Owned by the capturer; valid until its next call.
struct CaptureFrame {
  int32_t width = 0;  // current monitor size
  int32_t height = 0;
  PixelRect desktop;  // current monitor, virtual-desktop coordinates
  uint32_t adapterIndex = 0;
  uint32_t outputIndex = 0;
  Bytes image;  // width * height * 4, B G R A, stride width * 4
  bool imageValid = false;  // false until the first full copy after a (re-)creation
  // What the last new frame changed, monitor pixels, as reported (unclipped; may reach outside).
  std::vector<PixelRect> dirty;
  int32_t cursorX = 0;  // monitor pixels
  int32_t cursorY = 0;
  bool cursorVisible = false;
  CursorImage cursor;
  bool shapeChanged = false;  // the last acquire brought a new, non-empty pointer image
  uint32_t generation = 0;    // raised by every (re-)creation; a change means "send a key frame"
};

class ScreenCapturer {
 public:
  virtual ~ScreenCapturer() = default;

  // Capturable monitors in the platform's order (not sorted, not capped); empty when none can
  // be found.
  virtual std::vector<MonitorInfo> enumerateMonitors() = 0;
  // Raises the generation, then prepares capture of that monitor. False when any step fails
  // (the reason is logged); the capturer is then released but remembers the monitor, so a
  // later acquire tries again.
  virtual bool create(uint32_t adapterIndex, uint32_t outputIndex) = 0;
  // Frees the platform resources; the frame keeps its last content.
  virtual void release() = 0;
  // Waits at most waitMs for a change and takes it into the frame.
  virtual CaptureResult acquire(int waitMs) = 0;

  const CaptureFrame& frame() const { return frame_; }

  // Why the last create() failed, e.g. "DuplicateOutput: HRESULT 0x80004001 (...)"; empty after
  // a success or when the failure had no OS code.
  const std::string& lastFailure() const { return lastFailure_; }

 protected:
  // Logs a failed OS call of create() ("[HOST] <call> falhou: ...") and keeps it as the reason.
  void noteCreateFailure(const char* call, const OsError& error);

  // Lets a wrapper hand its frame to the capturer it delegates to for the length of one call,
  // so that its own frame() stays the one object callers hold on to.
  static CaptureFrame& frameOf(ScreenCapturer& capturer) { return capturer.frame_; }

  CaptureFrame frame_;
  std::string lastFailure_;
};

// The platform's capturer (DXGI on Windows, X11 on the display named by DISPLAY on Linux).
std::unique_ptr<ScreenCapturer> createScreenCapturer();

// The status line's text when no monitor could be captured, naming this platform's capture.
const char* captureFailedStatus();

}  // namespace px
