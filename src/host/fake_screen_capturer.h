// A capturer for tests and headless runs: a scripted desktop of monitors whose acquires paint
// known content and report it with deliberately sloppy dirty rectangles (too large, duplicated,
// partly or wholly off the monitor), as real platforms do. Single-threaded like every capturer.
#pragma once

#include <cstdint>
#include <deque>
#include <set>
#include <utility>
#include <vector>

#include "host/screen_capturer.h"

namespace px {

class FakeScreenCapturer : public ScreenCapturer {
 public:
  // What the next acquire sees.
  struct Step {
    enum Kind { kPaint, kPointerOnly, kTimeout, kAccessLost } kind = kTimeout;
    PixelRect rect;        // kPaint: monitor pixels painted (may reach outside the monitor)
    uint32_t colour = 0;   // kPaint: B G R A as a little-endian word
    int32_t cursorX = 0;   // kPointerOnly
    int32_t cursorY = 0;
  };

  explicit FakeScreenCapturer(std::vector<MonitorInfo> monitors);

  // create() on these (adapter, output) pairs fails.
  void failCreate(uint32_t adapter, uint32_t output) { failing_.insert({adapter, output}); }
  void allowCreate(uint32_t adapter, uint32_t output) { failing_.erase({adapter, output}); }
  void push(const Step& step) { steps_.push_back(step); }

  // The true content of the current monitor, for comparing with frame().image.
  const Bytes& screen() const { return screen_; }
  int createCalls() const { return createCalls_; }
  int copiedFull() const { return copiedFull_; }
  int copiedPartial() const { return copiedPartial_; }

  std::vector<MonitorInfo> enumerateMonitors() override { return monitors_; }
  bool create(uint32_t adapterIndex, uint32_t outputIndex) override;
  void release() override { open_ = false; }
  CaptureResult acquire(int waitMs) override;

 private:
  void paint(const PixelRect& rect, uint32_t colour);
  void takeFrame(std::vector<PixelRect> dirty);

  std::vector<MonitorInfo> monitors_;
  std::set<std::pair<uint32_t, uint32_t>> failing_;
  std::deque<Step> steps_;
  Bytes screen_;
  bool open_ = false;
  bool haveTarget_ = false;
  int createCalls_ = 0;
  int copiedFull_ = 0;
  int copiedPartial_ = 0;
};

}  // namespace px
