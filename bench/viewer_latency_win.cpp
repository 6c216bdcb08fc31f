// px-viewer-latency-bench: the Windows viewer's side of the draw-to-pixel latency benchmark
// (bench/viewer_latency_bench.cpp starts it under Wine and draws for it). It logs in to the relay,
// opens a viewer session to a computer ID and runs a loop like the viewer window's own: whenever
// the receive thread marks a new frame, upload, draw, read the probe pixel back from the target,
// then present. It asks its parent to draw by a line on standard output and times from writing
// that line to the pixel, so only its own clock is read; the "ping" round trips before the session
// tell what the pipe adds. The words of the exchange are in latency_probe.h.
//
//   px-viewer-latency-bench ID --relay-config FILE --login LOGIN [--data DIR] [--samples N]
//                           [--pings N]
//
// Standard input: the account password (one line), then the parent's "pong" lines. Exit status 0
// when every sample was taken, 1 when the session failed (its text on standard error), 2 on bad
// usage.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <string>
#include <thread>

#include "base/data_folder.h"
#include "latency_probe.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "relay/relay_config.h"
#include "ui/ui_handles_win.h"
#include "viewer/picture_fit.h"
#include "viewer/renderer_win.h"
#include "viewer/viewer_session.h"

namespace px {
namespace {

using Clock = std::chrono::steady_clock;
using namespace px::bench;

constexpr int kSessionAttempts = 5;
constexpr auto kAttemptPause = std::chrono::seconds(1);
constexpr auto kSettleLimit = std::chrono::seconds(15);
// The viewer window's loop waits this long for input when no frame is marked (see viewer_ui_win).
constexpr DWORD kIdleWaitMs = 8;
const wchar_t kClassName[] = L"PxViewerLatencyBench";

struct Options {
  std::string id;
  std::string relayConfig;
  std::string login;
  std::string data = "viewdata";
  int samples = 100;
  int pings = 50;
};

bool parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a.rfind("--", 0) != 0) {
      if (!o.id.empty()) return false;
      o.id = a;
      continue;
    }
    if (i + 1 >= argc) return false;
    const std::string v = argv[++i];
    if (a == "--relay-config") {
      o.relayConfig = v;
    } else if (a == "--login") {
      o.login = v;
    } else if (a == "--data") {
      o.data = v;
    } else if (a == "--samples") {
      o.samples = std::atoi(v.c_str());
    } else if (a == "--pings") {
      o.pings = std::atoi(v.c_str());
    } else {
      return false;
    }
  }
  return !o.id.empty() && !o.relayConfig.empty() && !o.login.empty() && o.samples > 0 &&
         o.pings >= 0;
}

double msBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

// One line to the parent, written and flushed whole (the viewer's log lines share the stream).
void sendLine(const std::string& line) {
  const std::string text = line + "\n";
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

bool readLine(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// Round trips of a line through the parent, reported as "rtt N MS".
bool measurePipe(int count) {
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    const auto start = Clock::now();
    sendLine(std::string(kPingWord) + " " + n);
    std::string reply;
    if (!readLine(reply) || reply != std::string(kPongWord) + " " + n) return false;
    const double ms = msBetween(start, Clock::now());
    sendLine(std::string(kRoundTripWord) + " " + n + " " + std::to_string(ms));
  }
  return true;
}

HWND createView(int width, int height) {
  static const bool registered = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return RegisterClassW(&wc) != 0;
  }();
  if (!registered) return nullptr;
  return CreateWindowExW(0, kClassName, L"px-viewer-latency-bench", WS_POPUP | WS_VISIBLE, 0, 0,
                         width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

// The viewer's window side for the benchmark: a view the size of the remote screen, the real
// renderer, and the sampling steps run between frames on the session thread.
class LatencyUi final : public ViewerUi {
 public:
  explicit LatencyUi(int samples) : samples_(samples) {}

  bool createWindow(ViewerSession& session) override {
    window_.reset(
        createView(session.image.publishedWidth.load(), session.image.publishedHeight.load()));
    return window_.valid();
  }
  bool initRenderer(ViewerSession& session) override;
  void releaseRenderer(ViewerSession&) override { renderer_.release(); }
  void destroyWindow(ViewerSession&) override { window_.reset(); }
  bool runOnce(ViewerSession& session) override;

  bool done() const { return taken_ >= samples_; }
  bool drewAnything() const { return framesDrawn_ > 0; }

 private:
  enum class Phase { kSettle, kPause, kWaiting };

  void drawMarkedFrame(ViewerSession& session);
  bool step();  // false once every sample was taken
  void sampleTaken(Clock::time_point at);

  const int samples_;
  ScopedWindow window_;
  Renderer renderer_;
  int probeX_ = 0, probeY_ = 0;  // the probe's centre in the target
  Phase phase_ = Phase::kSettle;
  uint64_t framesDrawn_ = 0;
  Clock::time_point startedAt_ = Clock::now();
  Clock::time_point lastFrameAt_;
  Clock::time_point nextDrawAt_;
  Clock::time_point requestedAt_;
  int taken_ = 0;  // samples seen or missed
  std::mt19937 random_{kPauseSeed};
  std::uniform_int_distribution<int> pauseMs_{kPauseMinMs, kPauseMaxMs};
};

bool LatencyUi::initRenderer(ViewerSession& session) {
  const int width = session.image.publishedWidth.load();
  const int height = session.image.publishedHeight.load();
  if (!window_.valid() || !renderer_.init(window_.get(), width, height)) return false;
  RECT client{};
  GetClientRect(window_.get(), &client);
  const PictureFit fit = fitPicture(client.right, client.bottom, width, height);
  probeX_ = int(fit.left + (kProbeCentreX + 0.5f) * fit.width / float(width));
  probeY_ = int(fit.top + (kProbeCentreY + 0.5f) * fit.height / float(height));
  startedAt_ = Clock::now();
  return true;
}

bool LatencyUi::runOnce(ViewerSession& session) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (!session.running.load()) return true;
  if (session.image.frameReady.exchange(false)) {
    drawMarkedFrame(session);
  } else {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kIdleWaitMs, QS_ALLINPUT);
  }
  return step();
}

// The frame as the viewer draws it, with the probe read between drawing and presenting.
void LatencyUi::drawMarkedFrame(ViewerSession& session) {
  const auto start = Clock::now();
  renderer_.uploadIfNeeded(session.image, true);
  const auto uploaded = Clock::now();
  if (!renderer_.render()) return;
  ++framesDrawn_;
  lastFrameAt_ = start;
  uint32_t bgra = 0;
  if (phase_ == Phase::kWaiting && renderer_.readPixel(probeX_, probeY_, bgra) &&
      probeMatches(reinterpret_cast<const uint8_t*>(&bgra), probeColour(taken_))) {
    const auto seen = Clock::now();
    sendLine(std::string(kPixelWord) + " " + std::to_string(taken_) + " " +
             std::to_string(msBetween(requestedAt_, seen)) + " " +
             std::to_string(msBetween(start, seen)) + " " +
             std::to_string(msBetween(start, uploaded)));
    sampleTaken(seen);
  }
  renderer_.present();
}

void LatencyUi::sampleTaken(Clock::time_point at) {
  ++taken_;
  phase_ = Phase::kPause;
  nextDrawAt_ = at + std::chrono::milliseconds(pauseMs_(random_));
}

bool LatencyUi::step() {
  const auto now = Clock::now();
  switch (phase_) {
    case Phase::kSettle:
      // Sampling starts on a still screen; one that never stills is sampled all the same.
      if ((framesDrawn_ > 0 && now - lastFrameAt_ >= kQuietPeriod) ||
          now - startedAt_ >= kSettleLimit) {
        phase_ = Phase::kPause;
        nextDrawAt_ = now;
      }
      return true;
    case Phase::kPause:
      if (done()) {
        sendLine(kDoneWord);
        return false;
      }
      if (now >= nextDrawAt_) {
        phase_ = Phase::kWaiting;
        requestedAt_ = Clock::now();
        sendLine(std::string(kDrawWord) + " " + std::to_string(taken_));
      }
      return true;
    case Phase::kWaiting:
      if (now - requestedAt_ >= kProbeLimit) {
        sendLine(std::string(kMissWord) + " " + std::to_string(taken_));
        sampleTaken(now);
      }
      return true;
  }
  return true;
}

bool logIn(const Options& o) {
  std::string password;
  if (!readLine(password)) return false;
  auto result = performLogin(o.login, std::move(password), 0);
  if (!result->accepted) {
    std::fprintf(stderr, "login: %s\n", result->error.c_str());
    return false;
  }
  std::lock_guard lock(accountState().lock);
  accountState().session = {result->token, result->expiry, result->loginName,
                            result->displayName};
  return true;
}

int run(const Options& o) {
  setDataFolderOverride(o.data);
  if (!loadRelayConfigFrom(o.relayConfig)) {
    std::fprintf(stderr, "cannot read %s\n", o.relayConfig.c_str());
    return 1;
  }
  if (!logIn(o)) return 1;
  if (!measurePipe(o.pings)) {
    std::fprintf(stderr, "the parent did not answer a ping\n");
    return 1;
  }
  for (int attempt = 1; attempt <= kSessionAttempts; ++attempt) {
    ViewerSession session(o.id);
    LatencyUi ui(o.samples);
    viewerThread(session, {}, ui);
    if (ui.done()) return 0;
    // A host still busy with the previous viewer may drop one that comes at once; a session that
    // ended after it drew is a failure of the run.
    if (ui.drewAnything() || attempt == kSessionAttempts) {
      std::fprintf(stderr, "session ended before the samples were taken: %s\n",
                   session.failure.c_str());
      return 1;
    }
    std::this_thread::sleep_for(kAttemptPause);
  }
  return 1;
}

}  // namespace
}  // namespace px

int main(int argc, char** argv) {
  px::Options options;
  if (!px::parseOptions(argc, argv, options)) {
    std::fputs(
        "usage: px-viewer-latency-bench ID --relay-config FILE --login LOGIN [--data DIR]\n"
        "                               [--samples N] [--pings N]\n",
        stderr);
    return 2;
  }
  return px::run(options);
}
