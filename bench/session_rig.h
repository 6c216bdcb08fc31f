// A whole remote session on this machine for the session benchmarks: a private Xvfb server, the
// real relay process, the real parvolex-host process serving that display, and a viewer in this
// process (the portable session thread with a windowless ViewerUi) that decodes every frame.
// Everything started here is stopped when the rig goes, also after a failed start.
//
// The host binary is $PX_HOST_BINARY, else ../tools/parvolex-host beside the benchmark's folder;
// it is copied into the rig's scratch folder because it reads relay.cfg beside itself.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "host/xvfb_server.h"
#include "support/relay_process_posix.h"
#include "viewer/viewer_session.h"

namespace px::bench {

using Clock = std::chrono::steady_clock;

// User plus system CPU seconds of a whole process (all its threads) so far; 0 when it is gone.
double processCpuSeconds(pid_t pid);

// The viewer's window side: nothing on screen; counts decoded frames and, when armed, watches
// one pixel of the decoded image for an expected colour.
class BenchViewerUi final : public ViewerUi {
 public:
  bool createWindow(ViewerSession&) override { return true; }
  bool initRenderer(ViewerSession&) override { return true; }
  bool runOnce(ViewerSession&) override;
  void frameDecoded(ViewerSession& session) override;

  void stop() { stop_.store(true); }
  uint64_t frames() const { return frames_.load(); }
  // Waits until at least `count` frames were decoded in all.
  bool waitFrames(uint64_t count, std::chrono::milliseconds limit);
  // Watches (x, y) for a B G R colour within `tolerance` per channel; waitProbe returns when it was
  // seen (the time of the decode that showed it) or the limit passed.
  void armProbe(int x, int y, uint32_t rgb, int tolerance);
  bool waitProbe(std::chrono::milliseconds limit, Clock::time_point& seenAt);

 private:
  bool probeMatchesLocked(const ScreenImage& image) const;

  std::atomic<bool> stop_{false};
  std::atomic<uint64_t> frames_{0};
  std::mutex lock_;
  std::condition_variable changed_;
  bool armed_ = false;  // guarded by lock_, with the probe fields below
  bool seen_ = false;
  int probeX_ = 0;
  int probeY_ = 0;
  uint32_t probeRgb_ = 0;
  int tolerance_ = 0;
  Clock::time_point seenAt_;
};

// parvolex-host on `display`, registered with the relay at 127.0.0.1:port, admitting viewers with
// control. SIGTERM (then SIGKILL after 5 s) when the object goes.
class HostProcess {
 public:
  HostProcess(const std::filesystem::path& work, const std::string& display, uint16_t port,
              const std::string& relayKeyHex);
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  bool running() const { return pid_ > 0 && !id_.empty(); }
  pid_t pid() const { return pid_; }
  const std::string& id() const { return id_; }  // the ID the relay gave it
  const std::string& failure() const { return failure_; }

 private:
  bool spawn(const std::filesystem::path& binary, const std::string& display);
  void waitForId();

  std::filesystem::path work_;
  pid_t pid_ = -1;
  std::string id_;
  std::string failure_;
};

// Xvfb, relay, host and a connected viewer showing the first frame.
class SessionRig {
 public:
  // `screen` as Xvfb takes it ("1920x1080x24").
  explicit SessionRig(const std::string& screen);
  ~SessionRig();
  SessionRig(const SessionRig&) = delete;
  SessionRig& operator=(const SessionRig&) = delete;

  bool ready() const { return failure_.empty(); }
  const std::string& failure() const { return failure_; }
  const std::string& display() const { return xvfb_.display(); }
  pid_t hostPid() const { return host_ ? host_->pid() : -1; }
  pid_t xserverPid() const { return xvfb_.pid(); }
  BenchViewerUi& ui() { return ui_; }
  // Bytes the viewer's socket has received so far (records of every kind, as on the wire).
  uint64_t viewerBytesReceived();

 private:
  bool startRelay();
  bool startViewer();

  std::filesystem::path work_;
  test::XvfbServer xvfb_;
  std::string relayKeyHex_;
  std::unique_ptr<test::RelayProcess> relay_;
  std::unique_ptr<HostProcess> host_;
  BenchViewerUi ui_;
  std::unique_ptr<ViewerSession> session_;
  std::thread viewer_;
  std::string failure_;
};

}  // namespace px::bench
