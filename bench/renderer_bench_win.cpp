// px-renderer-bench: what one frame of the viewer's renderer costs for a 1920x1080 remote screen
// in a 1920x1080 view: upload, draw and present of a changed frame, and draw and present alone
// for an unchanged one. Google Benchmark has no mingw build, so this is a small timing program of
// its own.
//
//   px-renderer-bench [--iterations N]      (default 200 per case)
//
// Present waits for vertical blank where the driver does (not under Wine), so on real hardware
// the figures include that wait. Exit status 1 when the renderer cannot start.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "timing_stats.h"
#include "ui/ui_handles_win.h"
#include "viewer/renderer_win.h"

namespace px {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
const wchar_t kClassName[] = L"PxRendererBench";

void pumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

HWND createView() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kClassName;
  RegisterClassW(&wc);
  return CreateWindowExW(0, kClassName, L"px-renderer-bench", WS_POPUP | WS_VISIBLE, 0, 0, kWidth,
                         kHeight, nullptr, nullptr, wc.hInstance, nullptr);
}

// Noise, so that no layer underneath can shortcut an upload of repeated bytes.
void fillNoise(ScreenImage& image, uint32_t seed) {
  std::lock_guard lock(image.lock);
  std::mt19937 random(seed);
  for (uint8_t& b : image.pixels) b = uint8_t(random());
}

std::vector<double> timeFrames(Renderer& renderer, ScreenImage& image, bool changed,
                               int iterations) {
  std::vector<double> ms;
  for (int i = 0; i < iterations; ++i) {
    pumpMessages();
    const Clock::time_point start = Clock::now();
    renderer.drawFrame(image, changed);
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  return ms;
}

int run(int iterations) {
  ScopedWindow view(createView());
  if (!view.get()) return std::fprintf(stderr, "the view window was not made\n"), 1;
  ScreenImage image;
  {
    std::lock_guard lock(image.lock);
    if (!image.resetLocked(kWidth, kHeight)) return 1;
  }
  fillNoise(image, 42);
  Renderer renderer;
  if (!renderer.init(view.get(), kWidth, kHeight)) {
    return std::fprintf(stderr, "the renderer did not start\n"), 1;
  }
  renderer.drawFrame(image, true);  // first frame: shader and texture set-up off the clock
  std::printf("Renderer, %dx%d image in a %dx%d view, %d frames per case\n", kWidth, kHeight,
              kWidth, kHeight, iterations);
  report("upload+draw+present:", timeFrames(renderer, image, true, iterations),
         "changed frame: whole image copied into the mapped texture");
  report("draw+present:", timeFrames(renderer, image, false, iterations), "unchanged frame");
  renderer.release();
  return 0;
}

}  // namespace
}  // namespace px

int main(int argc, char** argv) {
  const int iterations =
      px::iterationsFromArguments(argc, argv, 200, "px-renderer-bench [--iterations N]");
  if (iterations < 1) return 2;
  setvbuf(stdout, nullptr, _IONBF, 0);
  return px::run(iterations);
}
