// GDI capture, for where desktop duplication cannot start (Wine, some remote sessions and virtual
// machines): the monitor is copied with BitBlt from the screen DC into a DIB section, changes are
// found by comparing with the previous image on the encoder's tile grid, and the pointer comes
// from GetCursorInfo. GDI gives no change notification, so acquire polls, at most once per
// kPollIntervalMs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "base/log.h"
#include "base/os_error.h"
#include "host/capture_policy.h"
#include "host/capturers_win.h"
#include "host/cursor_image_win.h"
#include "host/gdi_handles_win.h"
#include "host/grid_differ.h"

namespace px {
namespace {

using Clock = std::chrono::steady_clock;

// About 30 copies a second: a 1080p BitBlt costs several milliseconds (tens under Wine), and a
// faster poll would mostly find nothing new.
constexpr int kPollIntervalMs = 33;

OsError lastWin32Error() { return {OsErrorKind::kWin32, int64_t(GetLastError())}; }

BOOL CALLBACK addMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  auto& monitors = *reinterpret_cast<std::vector<MonitorInfo>*>(list);
  if (r.right > r.left && r.bottom > r.top) {
    monitors.push_back(MonitorInfo{0, uint32_t(monitors.size()), r.right - r.left,
                                   r.bottom - r.top, {r.left, r.top, r.right, r.bottom}});
  }
  return TRUE;
}

class GdiScreenCapturer : public ScreenCapturer {
 public:
  ~GdiScreenCapturer() override { release(); }

  // Adapter 0; outputs numbered in the system's monitor order.
  std::vector<MonitorInfo> enumerateMonitors() override;
  bool create(uint32_t adapterIndex, uint32_t outputIndex) override;
  void release() override;
  CaptureResult acquire(int waitMs) override;

 private:
  bool openTarget();
  bool waitForPollTime(int waitMs);
  bool monitorMoved();
  bool copyScreen();
  bool updatePointer();

  ScreenDc screenDc_;
  ScopedBitmap dib_;   // freed after memoryDc_, into which it is selected
  MemoryDc memoryDc_;
  uint8_t* dibPixels_ = nullptr;  // owned by dib_; width * height * 4, top-down
  bool haveTarget_ = false;
  bool loggedCopyFailure_ = false;
  HCURSOR lastCursor_ = nullptr;
  Clock::time_point lastCopy_{};
  std::vector<PixelRect> changed_;
};

std::vector<MonitorInfo> GdiScreenCapturer::enumerateMonitors() {
  std::vector<MonitorInfo> list;
  if (!EnumDisplayMonitors(nullptr, nullptr, addMonitor, reinterpret_cast<LPARAM>(&list))) {
    logOsError("[HOST]", "EnumDisplayMonitors", lastWin32Error());
  }
  return list;
}

bool GdiScreenCapturer::create(uint32_t adapterIndex, uint32_t outputIndex) {
  ++frame_.generation;
  frame_.adapterIndex = adapterIndex;
  frame_.outputIndex = outputIndex;
  frame_.imageValid = false;
  haveTarget_ = true;
  lastFailure_.clear();
  release();
  if (openTarget()) return true;
  release();
  return false;
}

bool GdiScreenCapturer::openTarget() {
  const std::vector<MonitorInfo> monitors = enumerateMonitors();
  auto it = std::find_if(monitors.begin(), monitors.end(), [&](const MonitorInfo& m) {
    return m.adapterIndex == frame_.adapterIndex && m.outputIndex == frame_.outputIndex;
  });
  if (it == monitors.end()) {
    logPrintf("[HOST] monitor %u/%u nao encontrado\n", frame_.adapterIndex, frame_.outputIndex);
    return false;
  }
  frame_.desktop = it->desktop;
  frame_.width = it->width;
  frame_.height = it->height;

  screenDc_.reset(GetDC(nullptr));
  if (!screenDc_) {
    noteCreateFailure("GetDC", lastWin32Error());
    return false;
  }
  memoryDc_.reset(CreateCompatibleDC(screenDc_.get()));
  if (!memoryDc_) {
    noteCreateFailure("CreateCompatibleDC", lastWin32Error());
    return false;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = frame_.width;
  info.bmiHeader.biHeight = -frame_.height;  // rows top to bottom, like the image
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  dib_.reset(CreateDIBSection(screenDc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib_ || !bits) {
    noteCreateFailure("CreateDIBSection", lastWin32Error());
    return false;
  }
  dibPixels_ = static_cast<uint8_t*>(bits);
  if (!SelectObject(memoryDc_.get(), dib_.get())) {
    noteCreateFailure("SelectObject", lastWin32Error());
    return false;
  }
  frame_.image.assign(size_t(frame_.width) * size_t(frame_.height) * 4, 0);
  frame_.dirty.clear();
  lastCursor_ = nullptr;  // the first frame brings the pointer image
  loggedCopyFailure_ = false;
  lastCopy_ = Clock::time_point{};
  return true;
}

void GdiScreenCapturer::release() {
  memoryDc_.reset();
  dib_.reset();
  screenDc_.reset();
  dibPixels_ = nullptr;
}

// True when a copy is due now, after sleeping at most waitMs for it.
bool GdiScreenCapturer::waitForPollTime(int waitMs) {
  const Clock::time_point due = lastCopy_ + std::chrono::milliseconds(kPollIntervalMs);
  const Clock::time_point now = Clock::now();
  if (now >= due) return true;
  if (now + std::chrono::milliseconds(std::max(waitMs, 0)) < due) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::max(waitMs, 0)));
    return false;
  }
  std::this_thread::sleep_until(due);
  return true;
}

// A resolution change or a moved monitor: the DIB no longer matches.
bool GdiScreenCapturer::monitorMoved() {
  for (const MonitorInfo& m : enumerateMonitors()) {
    if (m.outputIndex == frame_.outputIndex) return m.desktop != frame_.desktop;
  }
  return true;
}

// The monitor into the DIB, opaque like the other backends' images.
bool GdiScreenCapturer::copyScreen() {
  if (!BitBlt(memoryDc_.get(), 0, 0, frame_.width, frame_.height, screenDc_.get(),
              frame_.desktop.left, frame_.desktop.top, SRCCOPY | CAPTUREBLT)) {
    if (!loggedCopyFailure_) logOsError("[HOST]", "BitBlt", lastWin32Error());
    loggedCopyFailure_ = true;
    return false;
  }
  GdiFlush();  // the DIB's memory is read directly: let GDI finish writing it
  const size_t pixels = size_t(frame_.width) * size_t(frame_.height);
  for (size_t i = 0; i < pixels; ++i) dibPixels_[i * 4 + 3] = 0xFF;
  return true;
}

// The pointer as the monitor sees it: hidden while it is on another monitor. True when position,
// visibility or image changed.
bool GdiScreenCapturer::updatePointer() {
  frame_.shapeChanged = false;
  CURSORINFO info{};
  info.cbSize = sizeof info;
  if (!GetCursorInfo(&info)) return false;
  const int32_t x = info.ptScreenPos.x - frame_.desktop.left;
  const int32_t y = info.ptScreenPos.y - frame_.desktop.top;
  const bool visible = (info.flags & CURSOR_SHOWING) && info.hCursor && x >= 0 && y >= 0 &&
                       x < frame_.width && y < frame_.height;
  bool changed = visible != frame_.cursorVisible;
  frame_.cursorVisible = visible;
  if (visible) {
    changed = changed || x != frame_.cursorX || y != frame_.cursorY;
    frame_.cursorX = x;
    frame_.cursorY = y;
    if (info.hCursor != lastCursor_) {
      lastCursor_ = info.hCursor;
      frame_.shapeChanged = readCursorImage(info.hCursor, frame_.cursor);
      changed = changed || frame_.shapeChanged;
    }
  }
  return changed;
}

CaptureResult GdiScreenCapturer::acquire(int waitMs) {
  if (!memoryDc_) {
    if (!haveTarget_) return CaptureResult::kFailed;
    return create(frame_.adapterIndex, frame_.outputIndex) ? CaptureResult::kRecreated
                                                           : CaptureResult::kFailed;
  }
  if (monitorMoved()) {
    release();
    return create(frame_.adapterIndex, frame_.outputIndex) ? CaptureResult::kRecreated
                                                           : CaptureResult::kFailed;
  }
  if (!waitForPollTime(waitMs)) return CaptureResult::kTimeout;
  lastCopy_ = Clock::now();
  if (!copyScreen()) return CaptureResult::kFailed;

  const ImageView previous{frame_.imageValid ? frame_.image.data() : nullptr, frame_.width,
                           frame_.height};
  diffGrid(previous, {dibPixels_, frame_.width, frame_.height}, changed_);
  const size_t stride = size_t(frame_.width) * 4;
  if (!frame_.imageValid) {
    std::memcpy(frame_.image.data(), dibPixels_, stride * size_t(frame_.height));
  } else {
    copyRects(dibPixels_, stride, changed_, frame_.width, frame_.image.data());
  }
  frame_.imageValid = true;
  const bool pointerChanged = updatePointer();
  if (changed_.empty() && !pointerChanged) return CaptureResult::kTimeout;
  frame_.dirty.swap(changed_);
  return CaptureResult::kNewFrame;
}

}  // namespace

std::unique_ptr<ScreenCapturer> createGdiScreenCapturer() {
  return std::make_unique<GdiScreenCapturer>();
}

}  // namespace px
