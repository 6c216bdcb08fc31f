// The session's capture thread: capture set-up, the hello exchange, the monitor list, then the
// send loop that turns captured changes into paced FrameUpdate messages.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "base/log.h"
#include "host/frame_encoder.h"
#include "host/host_session.h"
#include "host/monitor_selection.h"
#include "protocol/session_messages.h"

namespace px {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSendBufferBytes = 131072;
constexpr int kAcquireWaitMs = 16;
constexpr int kBackpressureSleepMs = 8;
constexpr size_t kMaxPendingRects = 48;
constexpr float kFrameQuality = 0.92f;
constexpr int kLoggedCursorShapes = 3;
constexpr uint64_t kFrameLogEvery = 20;

std::atomic<int> cursorShapesSent{0};  // process-wide running number for the log

uint16_t clampU16(int32_t v) { return uint16_t(std::clamp<int32_t>(v, 0, 65535)); }

void sendMonitorList(SecureChannel& channel, const MonitorSet& set) {
  MonitorList list;
  list.current = uint8_t(set.current);
  for (const MonitorInfo& m : set.monitors) {
    list.monitors.push_back({clampU16(m.width), clampU16(m.height)});
  }
  Bytes payload;
  if (buildMonitorList(list, payload)) {
    sendRecord(channel, uint8_t(MessageType::kMonitorList), payload);
  }
}

void sendMonitorSelected(SecureChannel& channel, int index, const CaptureFrame& frame) {
  sendRecord(channel, uint8_t(MessageType::kMonitorSelected),
             buildMonitorSelected({uint8_t(index), clampU16(frame.width), clampU16(frame.height)}));
}

bool sendCursorShape(SecureChannel& channel, const CursorImage& cursor) {
  CursorShape shape{clampU16(cursor.width), clampU16(cursor.height), clampU16(cursor.hotX),
                    clampU16(cursor.hotY), cursor.pixels};
  Bytes payload;
  // A shape that does not fit the message is skipped, not fatal.
  if (!buildCursorShape(shape, payload)) return true;
  if (!sendRecord(channel, uint8_t(MessageType::kCursorShape), payload)) return false;
  const int number = ++cursorShapesSent;
  if (number <= kLoggedCursorShapes) {
    logPrintf("[HOST] CursorShape enviado %dx%d (#%d)\n", cursor.width, cursor.height, number);
  }
  return true;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

void HostService::hostCaptureThread() {
  captureBody();
  running_.store(false);
  captureFinished_.store(true);
}

void HostService::captureBody() {
  std::unique_ptr<ScreenCapturer> capturer;
  if (deps_.createCapturer) capturer = deps_.createCapturer();
  MonitorSet monitors;
  if (!capturer || !startCapture(*capturer, monitors)) {
    deps_.events->status(captureFailedStatus());
    running_.store(false);
    return;
  }
  monitorRequest_.store(-1);
  setMonitorRect(capturer->frame().desktop);

  SecureChannel& channel = *channel_;
  const CaptureFrame& frame = capturer->frame();
  sendRecord(channel, uint8_t(MessageType::kHostHello),
             buildHostHello({clampU16(frame.width), clampU16(frame.height)}));
  RecordHeader header;
  Bytes payload;
  if (!receiveRecord(channel, header, payload) ||
      header.type != uint8_t(MessageType::kViewerReady)) {
    if (running_.load()) deps_.events->status("Erro: Handshake falhou");
    running_.store(false);
    capturer->release();
    return;
  }
  logPrintf("[HOST] Handshake completo\n");
  helloDone_.store(true);
  sendMonitorList(channel, monitors);
  sendMonitorSelected(channel, monitors.current, frame);

  sendLoop(*capturer, monitors);
  running_.store(false);
  capturer->release();
}

// What the send loop carries from one pass to the next. Capture thread only.
struct HostService::SendState {
  // A second core halves a large frame's coding time (photo content: ~120 -> ~55 ms at 1080p);
  // small changes stay on this thread. The payload is the same either way.
  SendState() : encoder(std::thread::hardware_concurrency() >= 2 ? 2 : 1) {
    payload.reserve(262144);
  }
  FrameEncoder encoder;
  std::vector<DirtyRect> pending;  // changed since the last frame sent, monitor pixels
  ReferenceFrame reference;
  Bytes payload;
  uint32_t frameIndex = 0;
  int64_t lastGeneration = -1;  // capture generation of the last frame sent
  int intervalMs = 16;
  uint64_t framesSent = 0;
};

// Carries out a monitor switch the input thread asked for. False when capture is lost.
bool HostService::switchMonitorIfAsked(ScreenCapturer& capturer, MonitorSet& monitors,
                                       SendState& state) {
  const CaptureFrame& frame = capturer.frame();
  const SwitchOutcome outcome = switchMonitor(capturer, monitors, monitorRequest_.exchange(-1));
  if (outcome == SwitchOutcome::kLost) return false;
  if (outcome == SwitchOutcome::kNone) return true;
  setMonitorRect(frame.desktop);
  state.pending.clear();
  state.reference.clear();
  if (outcome == SwitchOutcome::kSwitched) sendMonitorSelected(*channel_, monitors.current, frame);
  return true;
}

// Waits up to one frame time for a capture and adds what changed to the pending rectangles.
// `encodeNow` is false while a re-created capture has produced no frame yet. False when the
// cursor shape could not be sent.
bool HostService::collectChanges(ScreenCapturer& capturer, SendState& state, bool& encodeNow) {
  const CaptureFrame& frame = capturer.frame();
  const CaptureResult result = capturer.acquire(kAcquireWaitMs);
  // Read after acquire: a capture re-created inside it has a new generation.
  const bool newCapture = int64_t(frame.generation) != state.lastGeneration;
  encodeNow = true;
  if (result != CaptureResult::kNewFrame) {
    encodeNow = !newCapture;
    return true;
  }
  if (newCapture) {
    state.pending.assign(1, DirtyRect{0, 0, frame.width, frame.height});
    state.reference.clear();
  } else {
    for (const PixelRect& r : frame.dirty) {
      state.pending.push_back({r.left, r.top, r.right, r.bottom});
    }
  }
  return !frame.shapeChanged || sendCursorShape(*channel_, frame.cursor);
}

// Encodes the pending changes into one FrameUpdate and sends it, unless the connection is still
// busy with earlier frames: then the changes wait and one later frame carries them all.
HostService::SendStep HostService::encodeAndSend(const CaptureFrame& frame, SendState& state) {
  SecureChannel& channel = *channel_;
  if (state.pending.size() > kMaxPendingRects) {
    state.pending.assign(1, DirtyRect{0, 0, frame.width, frame.height});
  }
  if (!(deps_.writableNow ? deps_.writableNow(channel) : canSendNow(channel))) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kBackpressureSleepMs));
    return SendStep::kHeldBack;
  }
  EncodeInput input;
  input.pixels = frame.image.data();
  input.width = frame.width;
  input.height = frame.height;
  input.scale = 100;
  input.frameIndex = state.frameIndex;
  input.cursorX = frame.cursorX;
  input.cursorY = frame.cursorY;
  input.cursorVisible = frame.cursorVisible;
  input.quality = kFrameQuality;
  input.dirty = state.pending;
  if (!state.encoder.encode(input, state.reference, state.payload)) {
    logPrintf("[HOST] falha ao codificar o quadro\n");
    return SendStep::kFailed;
  }
  double sendMs = 0;
  if (!state.payload.empty()) {
    const Clock::time_point sendStart = Clock::now();
    if (!sendRecord(channel, uint8_t(MessageType::kFrameUpdate), state.payload)) {
      return SendStep::kFailed;
    }
    sendMs = millisecondsSince(sendStart);
    if (++state.framesSent % kFrameLogEvery == 1) {
      logPrintf("[HOST] escala %d%% pacote %u bytes envio %.0f ms\n", 100,
                unsigned(state.payload.size()), sendMs);
    }
  }
  state.pending.clear();
  ++state.frameIndex;
  state.lastGeneration = frame.generation;
  state.intervalMs = nextFrameIntervalMs(sendMs);
  return SendStep::kSent;
}

bool HostService::sendLoop(ScreenCapturer& capturer, MonitorSet& monitors) {
  setSendBuffer(*channel_, kSendBufferBytes);
  logPrintf("[HOST] encoder nitido, resolucao cheia\n");
  SendState state;
  while (sessionRunning()) {
    if (!switchMonitorIfAsked(capturer, monitors, state)) return false;
    const Clock::time_point start = Clock::now();
    bool encodeNow = false;
    if (!collectChanges(capturer, state, encodeNow)) return false;
    if (encodeNow && !state.pending.empty()) {
      const SendStep step = encodeAndSend(capturer.frame(), state);
      if (step == SendStep::kFailed) return false;
      if (step == SendStep::kHeldBack) continue;
    }
    const Clock::time_point due = start + std::chrono::milliseconds(state.intervalMs);
    if (Clock::now() < due) std::this_thread::sleep_until(due);
  }
  return true;
}

}  // namespace px
