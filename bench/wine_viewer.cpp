#include "wine_viewer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "latency_probe.h"

namespace px::bench {
namespace {

namespace fs = std::filesystem;

constexpr auto kRunLimit = std::chrono::minutes(10);
constexpr auto kExitLimit = std::chrono::seconds(10);
constexpr auto kStopLimit = std::chrono::seconds(5);
constexpr size_t kKeptLines = 12;
constexpr int kReadSliceMs = 200;

std::string environmentValue(const char* name, const char* fallback = "") {
  const char* value = std::getenv(name);
  return value ? value : fallback;
}

// Follows one line of the exchange; false for a line that is not part of it.
bool followLine(const std::string& line, WineViewerProcess& viewer, ScreenDrawer& drawer,
                WineViewerResult& result) {
  std::istringstream words(line);
  std::string word;
  int n = -1;
  words >> word >> n;
  double ms = 0, frameMs = 0, uploadMs = 0;
  if (word == kDrawWord && n >= 0) {
    drawer.fillRect(kProbeX, kProbeY, kProbeSide, kProbeSide, probeColour(n));
  } else if (word == kPingWord && n >= 0) {
    viewer.writeLine(std::string(kPongWord) + " " + std::to_string(n));
  } else if (word == kRoundTripWord && words >> ms) {
    result.pipeOneWay.push_back(ms / 2);
  } else if (word == kPixelWord && words >> ms >> frameMs >> uploadMs) {
    result.drawToPixel.ms.push_back(ms);
    result.frameMs.push_back(frameMs);
    result.uploadMs.push_back(uploadMs);
  } else if (word == kMissWord) {
    ++result.drawToPixel.misses;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::string wineViewerMissing() {
  std::error_code error;
  const std::string exe = environmentValue("PX_WINE_VIEWER_EXE");
  if (exe.empty() || !fs::is_regular_file(exe, error) || environmentValue("WINEPREFIX").empty()) {
    return "no viewer exe in PX_WINE_VIEWER_EXE or no WINEPREFIX "
           "(run scripts/bench-wine-viewer-latency.sh)";
  }
  return {};
}

WineViewerResult runWineViewer(SessionRig& rig, ScreenDrawer& drawer, const std::string& display,
                               int samples) {
  WineViewerResult result;
  result.failure = wineViewerMissing();
  if (!result.failure.empty()) return result;
  const std::string exe = environmentValue("PX_WINE_VIEWER_EXE");
  std::error_code error;
  const fs::path folder = rig.workFolder() / "wineview";
  fs::create_directories(folder, error);
  std::ofstream(folder / "relay.cfg") << rig.relayConfigLine() << "\n";
  WineViewerProcess viewer(folder, display,
                           {exe, rig.hostId(), "--relay-config", "relay.cfg", "--login", kRigLogin,
                            "--samples", std::to_string(samples)});
  if (!viewer.started() || !viewer.writeLine(kRigPassword)) {
    result.failure = "the Wine viewer did not start: " + viewer.failure();
    return result;
  }
  const auto deadline = Clock::now() + kRunLimit;
  bool done = false;
  std::string line;
  while (!done && Clock::now() < deadline &&
         viewer.readLine(std::chrono::duration_cast<std::chrono::milliseconds>(
                             deadline - Clock::now()),
                         line)) {
    done = line == kDoneWord;
    if (!done && !followLine(line, viewer, drawer, result)) viewer.keepOtherLine(line);
  }
  const int status = viewer.waitExit();
  if (!done || status != 0) {
    result.failure = "the Wine viewer " +
                     std::string(done ? "exited with " + std::to_string(status)
                                      : "stopped before its last sample") +
                     ":\n" + viewer.tail();
  }
  return result;
}

WineViewerProcess::WineViewerProcess(const fs::path& folder, const std::string& display,
                                     const std::vector<std::string>& args)
    : folder_(folder) {
  // A viewer that dies while a "pong" is on its way must not take this process along.
  signal(SIGPIPE, SIG_IGN);
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
    failure_ = "pipe failed";
    return;
  }
  std::vector<std::string> argv{environmentValue("PX_WINE_LOADER", "wine")};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (std::string& a : argv) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  const std::string log = (folder / "wine-viewer.log").string();
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    const int err = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (err < 0 || chdir(folder.c_str()) != 0) _exit(126);
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err, 2);
    setenv("DISPLAY", display.c_str(), 1);
    execvp(pointers[0], pointers.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  toChild_ = in[1];
  fromChild_ = out[0];
  if (pid_ < 0) failure_ = "fork failed";
}

WineViewerProcess::~WineViewerProcess() {
  if (toChild_ >= 0) close(toChild_);
  if (fromChild_ >= 0) close(fromChild_);
  if (pid_ > 0) stopChild(pid_, kStopLimit);
}

bool WineViewerProcess::readLine(std::chrono::milliseconds limit, std::string& line) {
  const auto deadline = Clock::now() + limit;
  for (;;) {
    const size_t end = buffered_.find('\n');
    if (end != std::string::npos) {
      line = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      return true;
    }
    if (Clock::now() >= deadline) return false;
    // Wine's own processes may hold the pipe open after the viewer is gone, so its end shows
    // by its exit rather than by the end of the stream.
    pollfd p{fromChild_, POLLIN, 0};
    if (poll(&p, 1, kReadSliceMs) <= 0) {
      if (reaped()) return false;
      continue;
    }
    char chunk[4096];
    const ssize_t got = read(fromChild_, chunk, sizeof chunk);
    if (got <= 0) return false;
    buffered_.append(chunk, size_t(got));
  }
}

bool WineViewerProcess::reaped() {
  if (pid_ <= 0) return true;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) != pid_) return false;
  pid_ = -1;
  exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return true;
}

bool WineViewerProcess::writeLine(const std::string& line) {
  const std::string text = line + "\n";
  return toChild_ >= 0 && write(toChild_, text.data(), text.size()) == ssize_t(text.size());
}

int WineViewerProcess::waitExit() {
  const auto deadline = Clock::now() + kExitLimit;
  while (!reaped()) {
    if (Clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return exitStatus_;
}

void WineViewerProcess::keepOtherLine(const std::string& line) {
  otherLines_.push_back(line);
  if (otherLines_.size() > kKeptLines) otherLines_.pop_front();
}

std::string WineViewerProcess::tail() const {
  std::string text;
  for (const std::string& line : otherLines_) text += line + "\n";
  std::ifstream in(folder_ / "wine-viewer.log");
  const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return text + log.substr(log.size() > 1500 ? log.size() - 1500 : 0);
}

}  // namespace px::bench
