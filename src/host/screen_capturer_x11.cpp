// X11 capture: RandR lists the monitors, XDamage reports what changed on the root window, XShm
// copies pixels, XFixes gives the pointer image. The X "adapter" is always 0; the output is the
// monitor's position in RandR's list.
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "base/log.h"
#include "host/capture_policy.h"
#include "host/pointer_shape.h"
#include "host/x11_factories.h"
#include "host/xlib_support_x11.h"

namespace px {
namespace {

using Damage = XResource<XDamageDestroy>;
using Region = XResource<XFixesDestroyRegion>;

// Beyond this many rectangles one read of their bounding box costs less than a round trip each.
constexpr size_t kMaxRectReads = 8;
// The pointer moves without events on the root window, so it is queried whenever a frame is taken
// and, while nothing else happens, at most this often. A move alone sends nothing (the position
// travels with the next screen change), so a slow poll costs the viewer nothing; each query is a
// round trip to the server, and querying on every short wait kept an idle host busy.
constexpr auto kPointerPollInterval = std::chrono::milliseconds(50);

struct SubImageDeleter {
  void operator()(XImage* image) const {
    image->data = nullptr;  // the segment belongs to the ShmImage
    XDestroyImage(image);
  }
};

// Copies rows of a 32-bit X image into the B G R A image at (x, y), opaque.
void copyFromXImage(const XImage* src, int32_t x, int32_t y, int32_t width, uint8_t* image) {
  for (int row = 0; row < src->height; ++row) {
    const uint8_t* in = reinterpret_cast<const uint8_t*>(src->data) +
                        size_t(row) * size_t(src->bytes_per_line);
    uint8_t* out = image + (size_t(y + row) * size_t(width) + size_t(x)) * 4;
    std::memcpy(out, in, size_t(src->width) * 4);
    for (int i = 3; i < src->width * 4; i += 4) out[i] = 255;
  }
}

// XFixes delivers premultiplied A R G B in longs; the cursor image wants straight B G R A.
Bytes cursorPixels(const XFixesCursorImage& c) {
  Bytes out(size_t(c.width) * c.height * 4);
  for (size_t i = 0; i < size_t(c.width) * c.height; ++i) {
    const uint32_t argb = uint32_t(c.pixels[i]);
    const uint32_t a = argb >> 24;
    auto straight = [a](uint32_t v) { return uint8_t(a == 0 ? 0 : std::min<uint32_t>(255, v * 255 / a)); };
    out[i * 4 + 0] = straight(argb & 0xFF);
    out[i * 4 + 1] = straight((argb >> 8) & 0xFF);
    out[i * 4 + 2] = straight((argb >> 16) & 0xFF);
    out[i * 4 + 3] = uint8_t(a);
  }
  return out;
}

class X11ScreenCapturer : public ScreenCapturer {
 public:
  explicit X11ScreenCapturer(std::string displayName) : displayName_(std::move(displayName)) {}
  ~X11ScreenCapturer() override { release(); }

  std::vector<MonitorInfo> enumerateMonitors() override;
  bool create(uint32_t adapterIndex, uint32_t outputIndex) override;
  void release() override;
  CaptureResult acquire(int waitMs) override;

 private:
  bool ensureDisplay();
  bool extensionsPresent();
  bool waitForChange(int waitMs, bool& damaged);
  bool drainEvents();
  bool updatePointer();
  void updateCursorShape();
  std::vector<PixelRect> takeDamage();
  bool copyPixels(const ClippedDirty& clipped);
  bool readArea(const PixelRect& r);

  std::string displayName_;
  DisplayPtr display_;
  Window root_ = 0;
  int damageEventBase_ = 0;
  int fixesEventBase_ = 0;
  ShmImage shm_;
  Damage damage_;
  Region region_;
  bool open_ = false;
  bool haveTarget_ = false;
  bool cursorShapeStale_ = true;
  std::chrono::steady_clock::time_point nextPointerPoll_;
};

bool X11ScreenCapturer::ensureDisplay() {
  if (display_) return true;
  display_ = openDisplay(displayName_, "[HOST]");
  if (!display_) return false;
  root_ = DefaultRootWindow(display_.get());
  return true;
}

std::vector<MonitorInfo> X11ScreenCapturer::enumerateMonitors() {
  std::vector<MonitorInfo> list;
  if (!ensureDisplay()) return list;
  Display* d = display_.get();
  int eventBase = 0, errorBase = 0, count = 0;
  if (XRRQueryExtension(d, &eventBase, &errorBase)) {
    XPtr<XRRMonitorInfo> monitors(XRRGetMonitors(d, root_, True, &count));
    for (int i = 0; monitors && i < count; ++i) {
      const XRRMonitorInfo& m = monitors.get()[i];
      if (m.width <= 0 || m.height <= 0) continue;
      list.push_back(MonitorInfo{0, uint32_t(i), m.width, m.height,
                                 {m.x, m.y, m.x + m.width, m.y + m.height}});
    }
  }
  if (list.empty()) {
    const int w = DisplayWidth(d, DefaultScreen(d)), h = DisplayHeight(d, DefaultScreen(d));
    list.push_back(MonitorInfo{0, 0, w, h, {0, 0, w, h}});
  }
  return list;
}

bool X11ScreenCapturer::extensionsPresent() {
  Display* d = display_.get();
  int errorBase = 0;
  if (!XShmQueryExtension(d)) {
    logPrintf("[HOST] extensao MIT-SHM ausente\n");
    return false;
  }
  if (!XDamageQueryExtension(d, &damageEventBase_, &errorBase)) {
    logPrintf("[HOST] extensao DAMAGE ausente\n");
    return false;
  }
  if (!XFixesQueryExtension(d, &fixesEventBase_, &errorBase)) {
    logPrintf("[HOST] extensao XFIXES ausente\n");
    return false;
  }
  return true;
}

bool X11ScreenCapturer::create(uint32_t adapterIndex, uint32_t outputIndex) {
  ++frame_.generation;
  frame_.adapterIndex = adapterIndex;
  frame_.outputIndex = outputIndex;
  frame_.imageValid = false;
  haveTarget_ = true;
  release();
  if (!ensureDisplay() || !extensionsPresent()) return false;
  const std::vector<MonitorInfo> monitors = enumerateMonitors();
  if (adapterIndex != 0 || outputIndex >= monitors.size()) {
    logPrintf("[HOST] monitor %u/%u nao existe\n", adapterIndex, outputIndex);
    return false;
  }
  Display* d = display_.get();
  const int screen = DefaultScreen(d);
  Visual* visual = DefaultVisual(d, screen);
  const int depth = DefaultDepth(d, screen);
  if ((depth != 24 && depth != 32) || visual->red_mask != 0xFF0000 ||
      visual->green_mask != 0xFF00 || visual->blue_mask != 0xFF) {
    logPrintf("[HOST] formato de tela X nao suportado (profundidade %d)\n", depth);
    return false;
  }
  const MonitorInfo& m = monitors[outputIndex];
  if (!shm_.create(d, visual, depth, m.width, m.height)) return false;
  if (shm_.image()->bits_per_pixel != 32 || shm_.image()->byte_order != LSBFirst) {
    logPrintf("[HOST] imagem X com %d bits por pixel nao suportada\n",
              shm_.image()->bits_per_pixel);
    shm_.reset();
    return false;
  }
  X11ErrorTrap trap(d);
  damage_ = Damage(d, XDamageCreate(d, root_, XDamageReportNonEmpty));
  region_ = Region(d, XFixesCreateRegion(d, nullptr, 0));
  XFixesSelectCursorInput(d, root_, XFixesDisplayCursorNotifyMask);
  if (const int error = trap.check(); error != 0) {
    logPrintf("[HOST] XDamageCreate falhou (erro X %d)\n", error);
    release();
    return false;
  }
  frame_.width = m.width;
  frame_.height = m.height;
  frame_.desktop = m.desktop;
  frame_.image.assign(size_t(m.width) * size_t(m.height) * 4, 0);
  cursorShapeStale_ = true;
  open_ = true;
  return true;
}

void X11ScreenCapturer::release() {
  open_ = false;
  damage_.reset();
  region_.reset();
  shm_.reset();
  if (display_) XSync(display_.get(), True);  // drop events of the released objects
}

bool X11ScreenCapturer::drainEvents() {
  Display* d = display_.get();
  bool damaged = false;
  while (XPending(d) > 0) {
    XEvent e;
    XNextEvent(d, &e);
    if (e.type == damageEventBase_ + XDamageNotify) damaged = true;
    if (e.type == fixesEventBase_ + XFixesCursorNotify) cursorShapeStale_ = true;
  }
  return damaged;
}

// True when the position or visibility changed.
bool X11ScreenCapturer::updatePointer() {
  Window rootReturn = 0, child = 0;
  int rootX = 0, rootY = 0, winX = 0, winY = 0;
  unsigned mask = 0;
  if (!XQueryPointer(display_.get(), root_, &rootReturn, &child, &rootX, &rootY, &winX, &winY,
                     &mask)) {
    return false;  // the pointer is on another screen of this display
  }
  const PixelRect& r = frame_.desktop;
  const bool visible = rootX >= r.left && rootX < r.right && rootY >= r.top && rootY < r.bottom;
  const int32_t x = rootX - r.left, y = rootY - r.top;
  if (!visible) {
    const bool changed = frame_.cursorVisible;
    frame_.cursorVisible = false;
    return changed;
  }
  const bool changed = !frame_.cursorVisible || x != frame_.cursorX || y != frame_.cursorY;
  frame_.cursorVisible = true;
  frame_.cursorX = x;
  frame_.cursorY = y;
  return changed;
}

bool X11ScreenCapturer::waitForChange(int waitMs, bool& damaged) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
  Display* d = display_.get();
  for (;;) {
    damaged = drainEvents() || damaged;
    const bool frameDue = damaged || cursorShapeStale_ || !frame_.imageValid;
    bool pointerChanged = false;
    if (frameDue || Clock::now() >= nextPointerPoll_) {
      pointerChanged = updatePointer();
      nextPointerPoll_ = Clock::now() + kPointerPollInterval;
    }
    if (frameDue || pointerChanged) return true;
    const auto now = Clock::now();
    if (now >= deadline) return false;
    // Whole milliseconds rounded up, so the wake-up never comes before the moment it waits for.
    const auto wake = std::min(deadline, nextPointerPoll_);
    const auto waitFor = std::chrono::ceil<std::chrono::milliseconds>(wake - now);
    XFlush(d);
    pollfd p{ConnectionNumber(d), POLLIN, 0};
    const int ready = poll(&p, 1, int(waitFor.count()));
    // Nothing arrived and the wait is over: no need to look at the queue again.
    if (ready == 0 && Clock::now() >= deadline && deadline < nextPointerPoll_) return false;
  }
}

std::vector<PixelRect> X11ScreenCapturer::takeDamage() {
  Display* d = display_.get();
  XDamageSubtract(d, damage_.get(), None, region_.get());
  int count = 0;
  XPtr<XRectangle> rects(XFixesFetchRegion(d, region_.get(), &count));
  std::vector<PixelRect> dirty;
  for (int i = 0; rects && i < count; ++i) {
    const XRectangle& r = rects.get()[i];
    const int32_t left = r.x - frame_.desktop.left, top = r.y - frame_.desktop.top;
    dirty.push_back(PixelRect{left, top, left + r.width, top + r.height});
  }
  return dirty;
}

void X11ScreenCapturer::updateCursorShape() {
  frame_.shapeChanged = false;
  if (!cursorShapeStale_) return;
  cursorShapeStale_ = false;
  XPtr<XFixesCursorImage> c(XFixesGetCursorImage(display_.get()));
  if (!c || c->width == 0 || c->height == 0) return;
  const Bytes pixels = cursorPixels(*c);
  const PointerShapeInfo info{PointerShapeType::kColor, c->width, c->height,
                              uint32_t(c->width) * 4, c->xhot, c->yhot};
  frame_.shapeChanged = convertPointerShape(info, pixels, frame_.cursor);
}

// Reads one monitor-pixel rectangle from the server into the image.
bool X11ScreenCapturer::readArea(const PixelRect& r) {
  Display* d = display_.get();
  const bool whole = r.left == 0 && r.top == 0 && r.width() == frame_.width &&
                     r.height() == frame_.height;
  std::unique_ptr<XImage, SubImageDeleter> sub;
  XImage* target = shm_.image();
  if (!whole) {
    sub.reset(shm_.subImage(r.width(), r.height()));
    if (!sub) return false;
    target = sub.get();
  }
  X11ErrorTrap trap(d);
  const Bool ok = XShmGetImage(d, root_, target, frame_.desktop.left + r.left,
                               frame_.desktop.top + r.top, AllPlanes);
  if (const int error = trap.check(); !ok || error != 0) {
    logPrintf("[HOST] XShmGetImage falhou (erro X %d)\n", error);
    return false;
  }
  copyFromXImage(target, r.left, r.top, frame_.width, frame_.image.data());
  return true;
}

bool X11ScreenCapturer::copyPixels(const ClippedDirty& clipped) {
  if (chooseCopyMode(frame_.imageValid, clipped.area, frame_.width, frame_.height) ==
      CopyMode::kFull) {
    return readArea(PixelRect{0, 0, frame_.width, frame_.height});
  }
  if (clipped.rects.size() > kMaxRectReads) {
    PixelRect box = clipped.rects.front();
    for (const PixelRect& r : clipped.rects) {
      box = {std::min(box.left, r.left), std::min(box.top, r.top), std::max(box.right, r.right),
             std::max(box.bottom, r.bottom)};
    }
    return readArea(box);
  }
  for (const PixelRect& r : clipped.rects) {
    if (!readArea(r)) return false;
  }
  return true;
}

CaptureResult X11ScreenCapturer::acquire(int waitMs) {
  if (!open_) {
    if (!haveTarget_) return CaptureResult::kFailed;
    return create(frame_.adapterIndex, frame_.outputIndex) ? CaptureResult::kRecreated
                                                           : CaptureResult::kFailed;
  }
  bool damaged = false;
  if (!waitForChange(waitMs, damaged)) return CaptureResult::kTimeout;
  // Taken before the copy: whatever changes during it is reported by the next acquire.
  std::vector<PixelRect> dirty = damaged ? takeDamage() : std::vector<PixelRect>{};
  if (!frame_.imageValid) dirty.assign(1, PixelRect{0, 0, frame_.width, frame_.height});
  updateCursorShape();
  if (!copyPixels(clipDirtyRects(dirty, frame_.width, frame_.height))) {
    // Most likely the screen layout changed under us: start over on the same monitor.
    return create(frame_.adapterIndex, frame_.outputIndex) ? CaptureResult::kRecreated
                                                           : CaptureResult::kFailed;
  }
  frame_.dirty = std::move(dirty);
  frame_.imageValid = true;
  return CaptureResult::kNewFrame;
}

}  // namespace

std::unique_ptr<ScreenCapturer> createX11ScreenCapturer(const std::string& displayName) {
  return std::make_unique<X11ScreenCapturer>(displayName);
}

std::unique_ptr<ScreenCapturer> createScreenCapturer() { return createX11ScreenCapturer(""); }

const char* captureFailedStatus() { return "Erro: captura de tela do X11 falhou"; }

}  // namespace px
