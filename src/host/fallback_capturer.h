// Two capturers behind one: the first create() tries the primary (desktop duplication) and, when
// it cannot start there, the secondary (GDI) on the same monitor. The one that opened serves the
// capturer's whole life, so a session never changes backends midway; the next session tries the
// primary again. Which one runs, and why, is logged once. Capture thread only, like every
// capturer.
#pragma once

#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "host/screen_capturer.h"

namespace px {

struct CapturerSource {
  const char* name = "";  // in the log line: "DXGI", "GDI"
  // Called at most once, when the capturer is first needed; null is a capturer that never opens.
  std::function<std::unique_ptr<ScreenCapturer>()> make;
};

class FallbackScreenCapturer : public ScreenCapturer {
 public:
  FallbackScreenCapturer(CapturerSource primary, CapturerSource secondary);

  // Before a backend is chosen: the primary's monitors, or the secondary's when the primary
  // finds none. After: the chosen one's, in its own numbering.
  std::vector<MonitorInfo> enumerateMonitors() override;
  // Before a backend is chosen, (adapter, output) may come from either list: a pair of the
  // primary's list is opened on the secondary's monitor with the same desktop rectangle. Both
  // failing leaves the choice open, and a later create or acquire tries both again.
  bool create(uint32_t adapterIndex, uint32_t outputIndex) override;
  void release() override;
  CaptureResult acquire(int waitMs) override;

  // The chosen backend's name; null while none has opened.
  const char* activeName() const { return active_ ? active_->source.name : nullptr; }

 private:
  struct Slot {
    CapturerSource source;
    std::unique_ptr<ScreenCapturer> capturer;
    bool made = false;
  };

  ScreenCapturer* capturerOf(Slot& slot);
  bool choose(uint32_t adapterIndex, uint32_t outputIndex);
  bool tryCreate(Slot& slot, uint32_t adapterIndex, uint32_t outputIndex);
  std::pair<uint32_t, uint32_t> secondaryPair(uint32_t adapterIndex, uint32_t outputIndex);

  // Runs one call of `capturer` on this object's frame.
  template <typename Call>
  auto lendFrame(ScreenCapturer& capturer, Call call) {
    std::swap(frame_, frameOf(capturer));
    auto result = call();
    std::swap(frame_, frameOf(capturer));
    return result;
  }

  Slot primary_;
  Slot secondary_;
  Slot* active_ = nullptr;
  bool haveTarget_ = false;
  std::pair<uint32_t, uint32_t> target_;  // the last create()'s (adapter, output)
  bool loggedFailure_ = false;
};

}  // namespace px
