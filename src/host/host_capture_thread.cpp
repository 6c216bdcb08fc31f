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
#include "host/session_messages.h"

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
    deps_.events->status("Erro: DXGI Desktop Duplication falhou");
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

bool HostService::sendLoop(ScreenCapturer& capturer, MonitorSet& monitors) {
  SecureChannel& channel = *channel_;
  const CaptureFrame& frame = capturer.frame();
  setSendBuffer(channel, kSendBufferBytes);
  logPrintf("[HOST] encoder nitido, resolucao cheia\n");
  // A second core halves a large frame's coding time (photo content: ~120 -> ~55 ms at 1080p);
  // small changes stay on this thread. The payload is the same either way.
  FrameEncoder encoder(std::thread::hardware_concurrency() >= 2 ? 2 : 1);
  std::vector<DirtyRect> pending;
  ReferenceFrame reference;
  Bytes payload;
  payload.reserve(262144);
  uint32_t frameIndex = 0;
  int64_t lastGeneration = -1;
  int intervalMs = 16;
  uint64_t framesSent = 0;

  while (sessionRunning()) {
    const int request = monitorRequest_.exchange(-1);
    switch (switchMonitor(capturer, monitors, request)) {
      case SwitchOutcome::kNone:
        break;
      case SwitchOutcome::kSwitched:
        setMonitorRect(frame.desktop);
        pending.clear();
        reference.clear();
        sendMonitorSelected(channel, monitors.current, frame);
        break;
      case SwitchOutcome::kKeptCurrent:
        setMonitorRect(frame.desktop);
        pending.clear();
        reference.clear();
        break;
      case SwitchOutcome::kLost:
        return false;
    }

    const Clock::time_point start = Clock::now();
    const CaptureResult result = capturer.acquire(kAcquireWaitMs);
    bool encodeNow = true;
    if (result == CaptureResult::kNewFrame) {
      if (int64_t(frame.generation) != lastGeneration) {
        pending.assign(1, DirtyRect{0, 0, frame.width, frame.height});
        reference.clear();
      } else {
        for (const PixelRect& r : frame.dirty) {
          pending.push_back({r.left, r.top, r.right, r.bottom});
        }
      }
      if (frame.shapeChanged && !sendCursorShape(channel, frame.cursor)) return false;
    } else if (int64_t(frame.generation) != lastGeneration) {
      // Re-created or never sent: wait for a frame of the new capture.
      encodeNow = false;
    }

    bool heldBack = false;
    if (encodeNow && !pending.empty()) {
      if (pending.size() > kMaxPendingRects) {
        pending.assign(1, DirtyRect{0, 0, frame.width, frame.height});
      }
      if (!(deps_.writableNow ? deps_.writableNow(channel) : canSendNow(channel))) {
        // Keep collecting; one later frame carries everything that changed meanwhile.
        std::this_thread::sleep_for(std::chrono::milliseconds(kBackpressureSleepMs));
        heldBack = true;
      } else {
        EncodeInput input;
        input.pixels = frame.image.data();
        input.width = frame.width;
        input.height = frame.height;
        input.scale = 100;
        input.frameIndex = frameIndex;
        input.cursorX = frame.cursorX;
        input.cursorY = frame.cursorY;
        input.cursorVisible = frame.cursorVisible;
        input.quality = kFrameQuality;
        input.dirty = pending;
        if (!encoder.encode(input, reference, payload)) {
          logPrintf("[HOST] falha ao codificar o quadro\n");
          return false;
        }
        double sendMs = 0;
        if (!payload.empty()) {
          const Clock::time_point sendStart = Clock::now();
          if (!sendRecord(channel, uint8_t(MessageType::kFrameUpdate), payload)) return false;
          sendMs = millisecondsSince(sendStart);
          if (++framesSent % kFrameLogEvery == 1) {
            logPrintf("[HOST] escala %d%% pacote %u bytes envio %.0f ms\n", 100, unsigned(payload.size()),
                      sendMs);
          }
        }
        pending.clear();
        ++frameIndex;
        lastGeneration = frame.generation;
        intervalMs = nextFrameIntervalMs(sendMs);
      }
    }
    if (heldBack) continue;
    const Clock::time_point due = start + std::chrono::milliseconds(intervalMs);
    if (Clock::now() < due) std::this_thread::sleep_until(due);
  }
  return true;
}

}  // namespace px
