// Shared pieces of the host session tests: a recording HostEvents, a capturer the test can script
// while the capture thread runs, and a viewer's side of the session messages.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/fake_screen_capturer.h"
#include "host/host_session.h"
#include "net/secure_channel.h"
#include "protocol/session_messages.h"

namespace px::test {

class RecordingHostEvents : public HostEvents {
 public:
  // When set, called with each admitted session (the shell's startHostSession); otherwise the
  // start record is kept.
  std::function<void(HostSessionStart)> onStarted;

  void sessionStarted(HostSessionStart start) override {
    if (onStarted) {
      onStarted(std::move(start));
      return;
    }
    std::lock_guard guard(lock_);
    started = std::move(start);
  }
  void sessionEnded(bool refusedByUser) override {
    std::lock_guard guard(lock_);
    ended.push_back(refusedByUser);
    changed_.notify_all();
  }
  void status(const std::string& text) override {
    std::lock_guard guard(lock_);
    statuses.push_back(text);
  }
  void chatText(std::string text) override {
    std::lock_guard guard(lock_);
    chats.push_back(std::move(text));
  }
  bool waitEnded(size_t count) {
    std::unique_lock lock(lock_);
    return changed_.wait_for(lock, std::chrono::seconds(20), [&] { return ended.size() >= count; });
  }
  std::vector<std::string> statusesCopy() {
    std::lock_guard guard(lock_);
    return statuses;
  }
  std::vector<std::string> chatsCopy() {
    std::lock_guard guard(lock_);
    return chats;
  }

  std::optional<HostSessionStart> started;
  std::vector<bool> ended;
  std::vector<std::string> statuses;
  std::vector<std::string> chats;

 private:
  std::mutex lock_;
  std::condition_variable changed_;
};

// A FakeScreenCapturer behind a lock, so the test may push steps while the capture thread
// acquires. A step may also bring a pointer image or replace the reported dirty list.
class ScriptedCapturer : public ScreenCapturer {
 public:
  struct Script {
    FakeScreenCapturer::Step step;
    std::optional<CursorImage> cursor;
    std::optional<std::vector<PixelRect>> reportedDirty;
  };

  explicit ScriptedCapturer(std::vector<MonitorInfo> monitors) : fake_(std::move(monitors)) {}

  void push(Script script) {
    std::lock_guard guard(lock_);
    extras_.push_back({script.cursor, script.reportedDirty});
    fake_.push(script.step);
  }
  void push(const FakeScreenCapturer::Step& step) { push(Script{step, {}, {}}); }
  // The true content of the current monitor.
  Bytes screen() {
    std::lock_guard guard(lock_);
    return fake_.screen();
  }
  int acquires() {
    std::lock_guard guard(lock_);
    return acquires_;
  }
  size_t stepsLeft() {
    std::lock_guard guard(lock_);
    return extras_.size();
  }
  // Waits until the capture thread has taken every pushed step and then started two more passes,
  // so whatever those steps caused has been sent.
  void waitDrained() {
    while (stepsLeft() != 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const int target = acquires() + 2;
    while (acquires() < target) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }

  std::vector<MonitorInfo> enumerateMonitors() override {
    std::lock_guard guard(lock_);
    return fake_.enumerateMonitors();
  }
  bool create(uint32_t adapter, uint32_t output) override {
    std::lock_guard guard(lock_);
    const bool ok = fake_.create(adapter, output);
    frame_ = fake_.frame();
    return ok;
  }
  void release() override {
    std::lock_guard guard(lock_);
    fake_.release();
  }
  CaptureResult acquire(int /*waitMs*/) override {
    std::unique_lock guard(lock_);
    ++acquires_;
    const bool hadStep = !extras_.empty();
    Extra extra;
    if (hadStep) {
      extra = extras_.front();
      extras_.pop_front();
    }
    const CaptureResult result = fake_.acquire(0);
    frame_ = fake_.frame();
    if (result == CaptureResult::kNewFrame) {
      if (extra.reportedDirty) frame_.dirty = *extra.reportedDirty;
      if (extra.cursor) {
        frame_.cursor = *extra.cursor;
        frame_.shapeChanged = true;
      }
    }
    guard.unlock();
    // A real capturer waits for changes; keep an idle loop from spinning.
    if (!hadStep) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return result;
  }

 private:
  struct Extra {
    std::optional<CursorImage> cursor;
    std::optional<std::vector<PixelRect>> reportedDirty;
  };
  std::mutex lock_;
  FakeScreenCapturer fake_;
  std::deque<Extra> extras_;
  int acquires_ = 0;
};

inline FakeScreenCapturer::Step paintStep(PixelRect rect, uint32_t colour) {
  FakeScreenCapturer::Step step;
  step.kind = FakeScreenCapturer::Step::kPaint;
  step.rect = rect;
  step.colour = colour;
  return step;
}

struct Message {
  uint8_t type = 0;
  Bytes payload;
};

inline std::optional<Message> receiveMessage(SecureChannel& channel) {
  RecordHeader header;
  Message m;
  if (!receiveRecord(channel, header, m.payload)) return std::nullopt;
  m.type = header.type;
  return m;
}

// The next message of `type`, skipping others; nothing when the channel ends first.
inline std::optional<Message> receiveUntil(SecureChannel& channel, MessageType type) {
  while (auto m = receiveMessage(channel)) {
    if (m->type == uint8_t(type)) return m;
  }
  return std::nullopt;
}

inline bool sendMessage(SecureChannel& channel, MessageType type, ByteView payload = {}) {
  return sendRecord(channel, uint8_t(type), payload);
}

}  // namespace px::test
