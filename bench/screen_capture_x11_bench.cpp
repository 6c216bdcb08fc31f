// X11 capture on a private Xvfb server: the cost of one acquire after a change of a given size,
// from a small patch (partial copy) to the whole screen (full copy).
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include "host/screen_capturer.h"
#include "host/x11_factories.h"
#include "host/xvfb_server.h"

namespace px {
namespace {

test::XvfbServer& server() {
  static test::XvfbServer s;
  return s;
}

void BM_X11AcquireAfterChange(benchmark::State& state) {
  if (!server().running()) {
    state.SkipWithError(server().failure().c_str());
    return;
  }
  Display* d = XOpenDisplay(server().display().c_str());
  const Window root = DefaultRootWindow(d);
  GC gc = XCreateGC(d, root, 0, nullptr);
  XSetSubwindowMode(d, gc, IncludeInferiors);
  auto capturer = createX11ScreenCapturer(server().display());
  if (!capturer->create(0, 0) || capturer->acquire(1000) != CaptureResult::kNewFrame) {
    state.SkipWithError("capture did not start");
    return;
  }
  const int w = int(state.range(0)), h = int(state.range(1));
  unsigned long colour = 0;
  for (auto _ : state) {
    state.PauseTiming();
    XSetForeground(d, gc, colour++ & 0xFFFFFF);
    XFillRectangle(d, root, gc, 10, 10, unsigned(w), unsigned(h));
    XSync(d, False);
    state.ResumeTiming();
    if (capturer->acquire(1000) != CaptureResult::kNewFrame) {
      state.SkipWithError("no frame after a change");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations());
  capturer.reset();
  XFreeGC(d, gc);
  XCloseDisplay(d);
}
BENCHMARK(BM_X11AcquireAfterChange)
    ->Args({64, 64})
    ->Args({256, 256})
    ->Args({900, 600})  // 59 % of 1280 x 720: still partial
    ->Args({1270, 710})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace px
