// A whole remote session on this machine for the session benchmarks: a private Xvfb server, the
// real relay process, a real host process serving that display, and a viewer in this process
// (the portable session thread with a windowless ViewerUi) that decodes every frame. Everything
// started here is stopped when the rig goes, also after a failed start.
//
// The host is parvolex-host, or Parvolex.exe under Wine (see wine_host.h). parvolex-host is
// $PX_HOST_BINARY, else ../tools/parvolex-host beside the benchmark's folder; either host is
// copied into the rig's scratch folder because it reads relay.cfg beside itself.
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
#include <utility>
#include <vector>

#include "host/xvfb_server.h"
#include "support/relay_process_posix.h"
#include "viewer/viewer_session.h"

namespace px::bench {

using Clock = std::chrono::steady_clock;

// SIGTERM to a child process, then SIGKILL when it has not exited within `limit`; reaps it.
void stopChild(pid_t pid, std::chrono::milliseconds limit);

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

enum class HostKind { kLinux, kWine };

// How a host process is started: its log (standard output and error) goes to work/host.log.
struct HostLaunch {
  std::filesystem::path program;  // looked up on PATH when it has no folder
  std::vector<std::string> args;  // after the program's name
  std::filesystem::path directory;
  std::vector<std::pair<std::string, std::string>> environment;  // on top of this process's
  std::chrono::seconds registerLimit{15};
};

// A host registered with the relay. SIGTERM (then SIGKILL after 5 s) when the object goes.
class HostProcess {
 public:
  HostProcess(const std::filesystem::path& work, const HostLaunch& launch);
  ~HostProcess();
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;

  bool running() const { return pid_ > 0 && !id_.empty(); }
  pid_t pid() const { return pid_; }
  const std::string& id() const { return id_; }  // the ID the relay gave it
  const std::string& failure() const { return failure_; }
  std::string log() const;

 private:
  bool spawn(const HostLaunch& launch);
  void waitForId(std::chrono::seconds limit);

  std::filesystem::path work_;
  pid_t pid_ = -1;
  std::string id_;
  std::string failure_;
};

class WinePrefixSession;

// The relay account the rig makes; its viewers log in with it.
inline constexpr const char* kRigLogin = "bench";
inline constexpr const char* kRigPassword = "senha";

// Xvfb, relay, host and a connected viewer showing the first frame.
class SessionRig {
 public:
  // `screen` as Xvfb takes it ("1920x1080x24").
  explicit SessionRig(const std::string& screen, HostKind kind = HostKind::kLinux);
  ~SessionRig();
  SessionRig(const SessionRig&) = delete;
  SessionRig& operator=(const SessionRig&) = delete;

  bool ready() const { return failure_.empty(); }
  const std::string& failure() const { return failure_; }
  const std::string& display() const { return xvfb_.display(); }
  pid_t hostPid() const { return host_ ? host_->pid() : -1; }
  pid_t xserverPid() const { return xvfb_.pid(); }
  // CPU seconds of the processes the host needs besides its own (Wine's; 0 for parvolex-host).
  double hostHelpersCpuSeconds() const;
  // What the host has logged so far.
  std::string hostLog() const { return host_ ? host_->log() : std::string(); }
  BenchViewerUi& ui() { return ui_; }
  // Ends the in-process viewer's session (it says Bye), so that another viewer can take the host.
  void endViewer();
  const std::string& hostId() const;
  // The scratch folder, removed with the rig.
  const std::filesystem::path& workFolder() const { return work_; }
  // A relay.cfg line for other viewers: "127.0.0.1:PORT KEYHEX".
  std::string relayConfigLine() const;
  // Bytes the viewer's socket has received so far (records of every kind, as on the wire).
  uint64_t viewerBytesReceived();

 private:
  bool startRelay();
  bool startHost(HostKind kind);
  bool startViewer();
  // True once the viewer decoded a frame; false when its session ended first or 20 s passed.
  bool waitFirstFrame();

  std::filesystem::path work_;
  test::XvfbServer xvfb_;
  std::string relayKeyHex_;
  std::unique_ptr<test::RelayProcess> relay_;
  std::unique_ptr<WinePrefixSession> wine_;
  std::unique_ptr<HostProcess> host_;
  std::string hostPassword_;  // the unattended password the viewer gives (Wine host only)
  BenchViewerUi ui_;
  std::unique_ptr<ViewerSession> session_;
  std::thread viewer_;
  std::string failure_;
};

}  // namespace px::bench
