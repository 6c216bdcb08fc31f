#include "host/fake_screen_capturer.h"

#include <algorithm>
#include <string>

#include "base/bytes.h"
#include "host/capture_policy.h"

namespace px {

FakeScreenCapturer::FakeScreenCapturer(std::vector<MonitorInfo> monitors)
    : monitors_(std::move(monitors)) {}

bool FakeScreenCapturer::create(uint32_t adapterIndex, uint32_t outputIndex) {
  ++createCalls_;
  ++frame_.generation;
  frame_.adapterIndex = adapterIndex;
  frame_.outputIndex = outputIndex;
  frame_.imageValid = false;
  haveTarget_ = true;
  open_ = false;
  auto it = std::find_if(monitors_.begin(), monitors_.end(), [&](const MonitorInfo& m) {
    return m.adapterIndex == adapterIndex && m.outputIndex == outputIndex;
  });
  lastFailure_.clear();
  if (it == monitors_.end() || failing_.count({adapterIndex, outputIndex})) {
    lastFailure_ = "create " + std::to_string(adapterIndex) + "/" + std::to_string(outputIndex) +
                   " recusado";
    return false;
  }
  frame_.width = it->width;
  frame_.height = it->height;
  frame_.desktop = it->desktop;
  frame_.image.assign(size_t(it->width) * it->height * 4, 0);
  // Each monitor starts with its own grey level, so a switch shows in the pixels.
  screen_.assign(frame_.image.size(), uint8_t(0x40 + 0x10 * (it - monitors_.begin())));
  open_ = true;
  return true;
}

CaptureResult FakeScreenCapturer::acquire(int /*waitMs*/) {
  if (!open_) {
    if (!haveTarget_) return CaptureResult::kFailed;
    return create(frame_.adapterIndex, frame_.outputIndex) ? CaptureResult::kRecreated
                                                           : CaptureResult::kFailed;
  }
  if (steps_.empty()) return CaptureResult::kTimeout;
  Step step = steps_.front();
  steps_.pop_front();
  switch (step.kind) {
    case Step::kTimeout:
      return CaptureResult::kTimeout;
    case Step::kAccessLost:
      release();
      return create(frame_.adapterIndex, frame_.outputIndex) ? CaptureResult::kRecreated
                                                             : CaptureResult::kFailed;
    case Step::kPointerOnly:
      frame_.cursorX = step.cursorX;
      frame_.cursorY = step.cursorY;
      frame_.cursorVisible = true;
      takeFrame({});
      return CaptureResult::kNewFrame;
    case Step::kPaint:
      break;
  }
  paint(step.rect, step.colour);
  // Sloppy reporting: the painted area grown by 3 pixels, a duplicate of it, and one rectangle
  // wholly off the monitor.
  PixelRect grown{step.rect.left - 3, step.rect.top - 3, step.rect.right + 3, step.rect.bottom + 3};
  takeFrame({grown, step.rect, PixelRect{frame_.width + 10, 0, frame_.width + 20, 10}});
  return CaptureResult::kNewFrame;
}

void FakeScreenCapturer::paint(const PixelRect& rect, uint32_t colour) {
  const ClippedDirty clipped = clipDirtyRects({&rect, 1}, frame_.width, frame_.height);
  for (const PixelRect& r : clipped.rects) {
    for (int32_t y = r.top; y < r.bottom; ++y) {
      for (int32_t x = r.left; x < r.right; ++x) {
        storeLe32(&screen_[(size_t(y) * frame_.width + x) * 4], colour);
      }
    }
  }
}

void FakeScreenCapturer::takeFrame(std::vector<PixelRect> dirty) {
  frame_.shapeChanged = false;
  // Like the real backends: the first frame after a (re-)creation reports the whole monitor.
  if (!frame_.imageValid) dirty.assign(1, PixelRect{0, 0, frame_.width, frame_.height});
  const ClippedDirty clipped = clipDirtyRects(dirty, frame_.width, frame_.height);
  if (chooseCopyMode(frame_.imageValid, clipped.area, frame_.width, frame_.height) ==
      CopyMode::kFull) {
    frame_.image = screen_;
    ++copiedFull_;
  } else {
    copyRects(screen_.data(), size_t(frame_.width) * 4, clipped.rects, frame_.width,
              frame_.image.data());
    if (!clipped.rects.empty()) ++copiedPartial_;
  }
  frame_.dirty = std::move(dirty);
  frame_.imageValid = true;
}

}  // namespace px
