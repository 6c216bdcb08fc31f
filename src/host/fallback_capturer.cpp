#include "host/fallback_capturer.h"

#include "base/log.h"
#include "host/capture_policy.h"

namespace px {

FallbackScreenCapturer::FallbackScreenCapturer(CapturerSource primary, CapturerSource secondary) {
  primary_.source = std::move(primary);
  secondary_.source = std::move(secondary);
}

namespace {

std::string reasonOf(const ScreenCapturer* capturer) {
  const std::string why = capturer ? capturer->lastFailure() : std::string();
  return why.empty() ? "sem codigo de erro" : why;
}

}  // namespace

ScreenCapturer* FallbackScreenCapturer::capturerOf(Slot& slot) {
  if (!slot.made) {
    slot.made = true;
    if (slot.source.make) slot.capturer = slot.source.make();
  }
  return slot.capturer.get();
}

std::vector<MonitorInfo> FallbackScreenCapturer::enumerateMonitors() {
  if (active_) return active_->capturer->enumerateMonitors();
  std::vector<MonitorInfo> list;
  if (ScreenCapturer* p = capturerOf(primary_)) list = p->enumerateMonitors();
  if (list.empty()) {
    if (ScreenCapturer* s = capturerOf(secondary_)) list = s->enumerateMonitors();
  }
  return list;
}

bool FallbackScreenCapturer::create(uint32_t adapterIndex, uint32_t outputIndex) {
  haveTarget_ = true;
  target_ = {adapterIndex, outputIndex};
  if (!active_) return choose(adapterIndex, outputIndex);
  ScreenCapturer& c = *active_->capturer;
  const bool ok = lendFrame(c, [&] { return c.create(adapterIndex, outputIndex); });
  lastFailure_ = c.lastFailure();
  return ok;
}

bool FallbackScreenCapturer::tryCreate(Slot& slot, uint32_t adapterIndex, uint32_t outputIndex) {
  ScreenCapturer* c = capturerOf(slot);
  if (!c) return false;
  // The frame goes through both backends, so the generation keeps rising across them.
  if (lendFrame(*c, [&] { return c->create(adapterIndex, outputIndex); })) return true;
  lendFrame(*c, [&] {
    c->release();
    return true;
  });
  return false;
}

// The secondary's (adapter, output) for a pair of the primary's numbering, matched by desktop
// rectangle; unchanged when either list lacks it (it may be the secondary's own numbering).
std::pair<uint32_t, uint32_t> FallbackScreenCapturer::secondaryPair(uint32_t adapterIndex,
                                                                    uint32_t outputIndex) {
  ScreenCapturer* p = capturerOf(primary_);
  ScreenCapturer* s = capturerOf(secondary_);
  if (!p || !s) return {adapterIndex, outputIndex};
  for (const MonitorInfo& m : p->enumerateMonitors()) {
    if (m.adapterIndex != adapterIndex || m.outputIndex != outputIndex) continue;
    const std::vector<MonitorInfo> others = s->enumerateMonitors();
    const int i = findMonitor(others, m.desktop, -1);
    if (i >= 0) return {others[size_t(i)].adapterIndex, others[size_t(i)].outputIndex};
    break;
  }
  return {adapterIndex, outputIndex};
}

bool FallbackScreenCapturer::choose(uint32_t adapterIndex, uint32_t outputIndex) {
  const char* primaryName = primary_.source.name;
  const char* secondaryName = secondary_.source.name;
  if (tryCreate(primary_, adapterIndex, outputIndex)) {
    active_ = &primary_;
    lastFailure_.clear();
    logPrintf("[HOST] captura por %s\n", primaryName);
    return true;
  }
  const std::string why = reasonOf(primary_.capturer.get());
  const auto [a, o] = secondaryPair(adapterIndex, outputIndex);
  if (tryCreate(secondary_, a, o)) {
    active_ = &secondary_;
    lastFailure_.clear();
    logPrintf("[HOST] captura por %s: %s indisponivel; %s\n", secondaryName, primaryName,
              why.c_str());
    return true;
  }
  lastFailure_ = why + "; " + reasonOf(secondary_.capturer.get());
  if (!loggedFailure_) {
    loggedFailure_ = true;
    logPrintf("[HOST] captura indisponivel: %s e %s falharam; %s\n", primaryName, secondaryName,
              lastFailure_.c_str());
  }
  return false;
}

void FallbackScreenCapturer::release() {
  if (!active_) return;  // a backend that failed to open was released at once
  ScreenCapturer& c = *active_->capturer;
  lendFrame(c, [&] {
    c.release();
    return true;
  });
}

CaptureResult FallbackScreenCapturer::acquire(int waitMs) {
  if (!active_) {
    if (!haveTarget_) return CaptureResult::kFailed;
    return choose(target_.first, target_.second) ? CaptureResult::kRecreated
                                                  : CaptureResult::kFailed;
  }
  ScreenCapturer& c = *active_->capturer;
  return lendFrame(c, [&] { return c.acquire(waitMs); });
}

}  // namespace px
