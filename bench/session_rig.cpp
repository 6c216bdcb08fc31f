#include "session_rig.h"

#include <fcntl.h>
#include <linux/tcp.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/data_folder.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "relay/relay_config.h"
#include "wine_host.h"

namespace px::bench {
namespace {

namespace fs = std::filesystem;

constexpr auto kFirstFrameLimit = std::chrono::seconds(20);
constexpr auto kHostStopLimit = std::chrono::seconds(5);
constexpr auto kViewerStopLimit = std::chrono::seconds(2);
constexpr int kViewerAttempts = 5;
constexpr auto kViewerRetryPause = std::chrono::seconds(1);
constexpr const char* kIdLine = "Registrado com ID: ";
constexpr const char* kWinePassword = "senha-do-banco";

fs::path hostBinary() {
  if (const char* path = std::getenv("PX_HOST_BINARY")) return path;
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "tools" /
         "parvolex-host";
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// parvolex-host copied into work/hostbin, admitting viewers with control.
bool prepareLinuxHost(const fs::path& work, const std::string& display, uint16_t port,
                      const std::string& relayKeyHex, HostLaunch& launch, std::string& failure) {
  const fs::path source = hostBinary();
  std::error_code error;
  fs::create_directories(work / "hostbin", error);
  fs::create_directories(work / "hostdata", error);
  const fs::path binary = work / "hostbin" / "parvolex-host";
  if (!fs::copy_file(source, binary, fs::copy_options::overwrite_existing, error)) {
    failure = "parvolex-host not found at " + source.string() + " (build the tools)";
    return false;
  }
  std::ofstream(work / "hostbin" / "relay.cfg") << "127.0.0.1:" << port << " " << relayKeyHex
                                                 << "\n";
  launch.program = binary;
  launch.args = {"--accept", "control"};
  launch.directory = work / "hostbin";
  launch.environment = {{"DISPLAY", display}, {"XDG_DATA_HOME", (work / "hostdata").string()}};
  return true;
}

}  // namespace

void stopChild(pid_t pid, std::chrono::milliseconds limit) {
  kill(pid, SIGTERM);
  const auto deadline = Clock::now() + limit;
  while (waitpid(pid, nullptr, WNOHANG) != pid) {
    if (Clock::now() >= deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

double processCpuSeconds(pid_t pid) {
  const std::string text = readFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t paren = text.rfind(')');
  if (paren == std::string::npos) return 0;
  std::istringstream fields(text.substr(paren + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;  // fields 3..13
  double user = 0, system = 0;
  fields >> user >> system;
  return (user + system) / double(sysconf(_SC_CLK_TCK));
}

bool BenchViewerUi::runOnce(ViewerSession&) {
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return !stop_.load();
}

void BenchViewerUi::frameDecoded(ViewerSession& session) {
  {
    std::lock_guard guard(lock_);
    ++frames_;
    if (armed_) {
      std::lock_guard imageGuard(session.image.lock);
      if (probeMatchesLocked(session.image)) {
        seenAt_ = Clock::now();
        seen_ = true;
        armed_ = false;
      }
    }
  }
  changed_.notify_all();
}

bool BenchViewerUi::probeMatchesLocked(const ScreenImage& image) const {
  if (probeX_ < 0 || probeY_ < 0 || probeX_ >= image.width || probeY_ >= image.height) return false;
  const uint8_t* p = image.pixels.data() + (size_t(probeY_) * size_t(image.width) + size_t(probeX_)) * 4;
  const int want[3] = {int(probeRgb_ & 0xFF), int((probeRgb_ >> 8) & 0xFF), int(probeRgb_ >> 16)};
  for (int c = 0; c < 3; ++c) {
    if (std::abs(int(p[c]) - want[c]) > tolerance_) return false;
  }
  return true;
}

bool BenchViewerUi::waitFrames(uint64_t count, std::chrono::milliseconds limit) {
  std::unique_lock guard(lock_);
  return changed_.wait_for(guard, limit, [&] { return frames_.load() >= count; });
}

void BenchViewerUi::armProbe(int x, int y, uint32_t rgb, int tolerance) {
  std::lock_guard guard(lock_);
  probeX_ = x;
  probeY_ = y;
  probeRgb_ = rgb;
  tolerance_ = tolerance;
  seen_ = false;
  armed_ = true;
}

bool BenchViewerUi::waitProbe(std::chrono::milliseconds limit, Clock::time_point& seenAt) {
  std::unique_lock guard(lock_);
  const bool seen = changed_.wait_for(guard, limit, [&] { return seen_; });
  armed_ = false;
  if (seen) seenAt = seenAt_;
  return seen;
}

HostProcess::HostProcess(const fs::path& work, const HostLaunch& launch) : work_(work) {
  if (!spawn(launch)) return;
  waitForId(launch.registerLimit);
}

bool HostProcess::spawn(const HostLaunch& launch) {
  const std::string log = (work_ / "host.log").string();
  std::vector<std::string> args{launch.program.string()};
  args.insert(args.end(), launch.args.begin(), launch.args.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    // The host must not outlive a benchmark that dies without its destructors.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0 || chdir(launch.directory.c_str()) != 0) _exit(126);
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    for (const auto& [name, value] : launch.environment) setenv(name.c_str(), value.c_str(), 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  if (pid_ < 0) failure_ = "fork failed";
  return pid_ > 0;
}

std::string HostProcess::log() const { return readFile(work_ / "host.log"); }

void HostProcess::waitForId(std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (Clock::now() < deadline) {
    const std::string log = this->log();
    const size_t at = log.find(kIdLine);
    if (at != std::string::npos) {
      const size_t start = at + std::char_traits<char>::length(kIdLine);
      const size_t end = log.find_first_not_of("0123456789", start);
      if (end != std::string::npos && end > start) {
        id_ = log.substr(start, end - start);
        return;
      }
    }
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      failure_ = "the host exited: " + log.substr(log.size() > 400 ? log.size() - 400 : 0);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  failure_ = "the host did not register within " + std::to_string(limit.count()) + " s";
}

HostProcess::~HostProcess() {
  if (pid_ > 0) stopChild(pid_, kHostStopLimit);
}

SessionRig::SessionRig(const std::string& screen, HostKind kind)
    : work_(fs::temp_directory_path() / ("px-session-bench-" + std::to_string(getpid()))),
      xvfb_(screen) {
  std::error_code error;
  fs::remove_all(work_, error);
  fs::create_directories(work_, error);
  if (!xvfb_.running()) {
    failure_ = xvfb_.failure();
    return;
  }
  if (!startRelay()) return;
  if (!startHost(kind)) return;
  startViewer();
}

bool SessionRig::startHost(HostKind kind) {
  HostLaunch launch;
  if (kind == HostKind::kWine) {
    wine_ = std::make_unique<WinePrefixSession>();
    hostPassword_ = kWinePassword;
    if (!wine_->ready() || !wine_->prepareHost(work_, xvfb_.display(), relay_->port(),
                                               relayKeyHex_, hostPassword_, launch)) {
      failure_ = wine_->failure();
      return false;
    }
  } else if (!prepareLinuxHost(work_, xvfb_.display(), relay_->port(), relayKeyHex_, launch,
                               failure_)) {
    return false;
  }
  host_ = std::make_unique<HostProcess>(work_, launch);
  if (!host_->running()) {
    failure_ = host_->failure();
    return false;
  }
  return true;
}

double SessionRig::hostHelpersCpuSeconds() const {
  return wine_ ? wine_->otherCpuSeconds(hostPid()) : 0.0;
}

bool SessionRig::startRelay() {
  const std::string data = (work_ / "relay").string();
  relayKeyHex_ = test::runRelayCommand({"key", "--data", data}).output.substr(0, 128);
  test::runRelayCommand({"account", "add", kRigLogin, "--display-name", "Bench", "--data", data,
                         "--iterations", "1000"},
                        std::string(kRigPassword) + "\n");
  relay_ = std::make_unique<test::RelayProcess>(work_ / "relay");
  RelayConfig config;
  config.primaryHost = "127.0.0.1";
  config.port = relay_->port();
  config.pinnedKeyPresent = parseRelayKeyHex(relayKeyHex_, config.pinnedKey);
  if (relay_->port() == 0 || !config.pinnedKeyPresent) {
    failure_ = "relay did not start (" + test::relayBinary().string() + ")";
    return false;
  }
  setRelayConfig(config);
  return true;
}

bool SessionRig::startViewer() {
  // The viewer writes its recent list and thumbnail into the scratch folder.
  setDataFolderOverride(work_ / "viewdata");
  auto login = performLogin(kRigLogin, kRigPassword, 0);
  if (!login->accepted) {
    failure_ = "login failed: " + login->error;
    return false;
  }
  {
    std::lock_guard guard(accountState().lock);
    accountState().session = {login->token, login->expiry, kRigLogin, "Bench"};
  }
  for (int attempt = 1;; ++attempt) {
    session_ = std::make_unique<ViewerSession>(host_->id());
    viewer_ = std::thread([this] { viewerThread(*session_, hostPassword_, ui_); });
    if (waitFirstFrame()) return true;
    if (!session_->finished.load() || attempt == kViewerAttempts) {
      failure_ = "the viewer decoded no frame within 20 s: " + session_->failure;
      return false;
    }
    // A host busy with its start-up (Wine's first Direct2D use takes seconds) may still drop a
    // viewer that comes at once; the relay takes the next viewer once it registers again.
    viewer_.join();
    std::this_thread::sleep_for(kViewerRetryPause);
  }
}

bool SessionRig::waitFirstFrame() {
  const auto deadline = Clock::now() + kFirstFrameLimit;
  while (Clock::now() < deadline && !session_->finished.load()) {
    if (ui_.waitFrames(1, std::chrono::milliseconds(100))) return true;
  }
  return false;
}

uint64_t SessionRig::viewerBytesReceived() {
  if (!session_) return 0;
  std::lock_guard guard(session_->channelLock);
  if (!session_->channel) return 0;
  tcp_info info{};
  socklen_t size = sizeof info;
  if (getsockopt(int(session_->channel->socket()), IPPROTO_TCP, TCP_INFO, &info, &size) != 0) {
    return 0;
  }
  return info.tcpi_bytes_received;
}

void SessionRig::endViewer() {
  ui_.stop();
  if (session_) {
    session_->running.store(false);
    // A running session says Bye and ends within a few passes; one still negotiating may sit in a
    // receive for seconds, so its socket is shut to wake it.
    const auto deadline = Clock::now() + kViewerStopLimit;
    while (!session_->finished.load() && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::lock_guard guard(session_->channelLock);
    if (!session_->finished.load() && session_->channel) closeSocket(*session_->channel);
  }
  if (viewer_.joinable()) viewer_.join();
  session_.reset();
}

const std::string& SessionRig::hostId() const {
  static const std::string none;
  return host_ ? host_->id() : none;
}

std::string SessionRig::relayConfigLine() const {
  return "127.0.0.1:" + std::to_string(relay_ ? relay_->port() : 0) + " " + relayKeyHex_;
}

SessionRig::~SessionRig() {
  endViewer();
  // Ending the prefix ends the exe with everything else of Wine's; the host object then only
  // reaps it.
  wine_.reset();
  host_.reset();
  relay_.reset();
  clearLoginState(accountState());
  setDataFolderOverride({});
  std::error_code error;
  fs::remove_all(work_, error);
}

}  // namespace px::bench
