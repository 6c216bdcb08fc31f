// The host's side of one remote-support connection: the access decision on a joined channel
// (handshake, password or local prompt), then a session of three threads (capture and send,
// input, supervisor) until either side ends it. One session at a time.
//
// The shell owns one HostService for the whole process. Its reports arrive through HostEvents on
// worker threads; the Windows shell posts them to its main window, the headless tool queues them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host/host_state.h"
#include "host/input_injector.h"
#include "host/monitor_selection.h"
#include "host/password_guard.h"
#include "host/screen_capturer.h"
#include "net/channel_handshake.h"
#include "net/secure_channel.h"

namespace px {

// Handed from the connection thread to the shell, which passes it to startHostSession.
struct HostSessionStart {
  std::unique_ptr<SecureChannel> channel;
  bool control = false;
  std::string displayText;  // the requester's name, plus " (ID n)" when the request had an ID
};

// Reports to the shell, each called on a worker thread and expected to return quickly.
class HostEvents {
 public:
  virtual ~HostEvents() = default;
  // A viewer was admitted; call startHostSession with `start` (on the shell's own thread).
  virtual void sessionStarted(HostSessionStart start) = 0;
  // The connection or session ended; `refusedByUser` after a refusal (keep its status line).
  virtual void sessionEnded(bool refusedByUser) = 0;
  virtual void status(const std::string& text) = 0;
  // A chat line from the viewer, 1 to 8000 bytes of UTF-8 as sent.
  virtual void chatText(std::string text) = 0;
};

struct AccessAnswer {
  bool accepted = false;
  bool control = false;  // the prompt's control checkbox
};

struct HostDependencies {
  HostEvents* events = nullptr;
  // Asks the local user (name, ID); blocks until answered or timed out (then refused).
  std::function<AccessAnswer(const std::string& name, const std::string& id)> showAccessPrompt;
  // Monotonic milliseconds for the password lock-out; steady clock when empty.
  std::function<int64_t()> clockMs;
  HandshakeSigner* signer = nullptr;  // null: the device identity
  std::function<std::unique_ptr<ScreenCapturer>()> createCapturer;
  // May return null (no injection; input is then dropped).
  std::function<std::unique_ptr<InputInjector>()> createInjector;
  const std::atomic<bool>* appRunning = nullptr;  // sessions end when it turns false
  // Whether the channel takes data right now; canSendNow when empty (tests stall it).
  std::function<bool(SecureChannel&)> writableNow;
};

class HostService {
 public:
  explicit HostService(HostDependencies deps);
  // Ends a running session and waits for every thread it started.
  ~HostService();
  HostService(const HostService&) = delete;
  HostService& operator=(const HostService&) = delete;

  HostState state() const { return state_.load(); }

  // A viewer was joined to `channel`. Busy: dropped at once without a word. Idle: Pending, and
  // hostConnectionThread runs on a thread of its own.
  void offerIncoming(std::unique_ptr<SecureChannel> channel);
  // The access decision, on the calling thread; ends with sessionStarted or sessionEnded.
  void hostConnectionThread(std::unique_ptr<SecureChannel> channel);
  // Starts the session's three threads. Call on the shell's thread.
  void startHostSession(HostSessionStart start);
  // "Desconectar": asks the running session to end (asynchronously).
  void disconnect() { running_.store(false); }
  // A chat line typed on this computer, sent as ChatText on the running session's channel.
  // False when no session runs, its hello exchange has not ended, or the send failed. Any thread.
  bool sendChat(std::string_view utf8);
  // Waits until the session's threads have finished (shutdown, tests).
  void joinSession();

  // Guarded by passwordStoreLock(); exposed for diagnostics and tests.
  PasswordGuard& passwordGuardLocked() { return guard_; }

 private:
  bool appRunning() const { return deps_.appRunning == nullptr || deps_.appRunning->load(); }
  bool sessionRunning() const { return running_.load() && appRunning(); }
  int64_t nowMs() const;
  void failConnection(std::unique_ptr<SecureChannel> channel);
  bool passwordAdmits(const SecureChannel& channel, const std::array<uint8_t, 32>& proof);
  void hostCaptureThread();
  void captureBody();
  void hostInputThread();
  void hostSupervisorThread();
  // The send loop's steps; capture thread only.
  struct SendState;
  enum class SendStep { kSent, kHeldBack, kFailed };
  bool sendLoop(ScreenCapturer& capturer, MonitorSet& monitors);
  bool switchMonitorIfAsked(ScreenCapturer& capturer, MonitorSet& monitors, SendState& state);
  bool collectChanges(ScreenCapturer& capturer, SendState& state, bool& encodeNow);
  SendStep encodeAndSend(const CaptureFrame& frame, SendState& state);
  void setMonitorRect(const PixelRect& rect);
  PixelRect monitorRect();

  HostDependencies deps_;
  std::atomic<HostState> state_{HostState::kIdle};
  PasswordGuard guard_;
  std::thread connectionThread_;

  // The session.
  std::atomic<bool> running_{false};
  std::atomic<bool> control_{false};
  std::atomic<bool> helloDone_{false};
  std::atomic<bool> captureFinished_{false};  // the capture thread is about to return
  std::atomic<int> monitorRequest_{-1};
  std::mutex monitorLock_;
  PixelRect monitorRect_;  // guarded by monitorLock_
  std::unique_ptr<SecureChannel> channel_;  // destroyed by the supervisor
  std::mutex channelLock_;  // guards channel_'s reset against sendChat
  std::thread capture_;
  std::thread input_;
  std::thread supervisor_;
};

}  // namespace px
