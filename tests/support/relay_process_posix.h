// Runs the real parvolex-relay binary for end-to-end tests: the server as a child process on a
// loopback port, and its operator commands. The binary is $PX_RELAY_BINARY, else
// ../relayd/parvolex-relay beside the test executable's folder.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace px::test {

inline std::filesystem::path relayBinary() {
  if (const char* path = std::getenv("PX_RELAY_BINARY")) return path;
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "relayd" /
         "parvolex-relay";
}

// Limits the child starts under (0 leaves a limit as it is).
struct ChildLimits {
  rlim_t fileSize = 0;     // RLIMIT_FSIZE, bytes
  rlim_t descriptors = 0;  // RLIMIT_NOFILE, soft and hard
};

// Starts `args` with a pipe on standard input and one on standard output (and error).
inline pid_t spawnRelay(const std::vector<std::string>& args, int& stdinFd, int& stdoutFd,
                        ChildLimits limits = {}) {
  int in[2], out[2];
  if (pipe(in) != 0 || pipe(out) != 0) return -1;
  const std::string binary = relayBinary().string();
  const pid_t pid = fork();
  if (pid == 0) {
    if (limits.fileSize != 0) {
      const rlimit fileSize{limits.fileSize, limits.fileSize};
      setrlimit(RLIMIT_FSIZE, &fileSize);
    }
    if (limits.descriptors != 0) {
      const rlimit descriptors{limits.descriptors, limits.descriptors};
      setrlimit(RLIMIT_NOFILE, &descriptors);
    }
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(out[1], 2);
    close(in[1]);
    close(out[0]);
    std::vector<char*> argv{const_cast<char*>(binary.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(binary.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  stdinFd = in[1];
  stdoutFd = out[0];
  return pid;
}

struct CommandResult {
  int exitCode = -1;
  std::string output;
};

// Runs one operator command to its end, feeding `input` on standard input.
inline CommandResult runRelayCommand(const std::vector<std::string>& args, const std::string& input = "") {
  int in = -1, out = -1;
  CommandResult result;
  const pid_t pid = spawnRelay(args, in, out);
  if (pid < 0) return result;
  if (!input.empty() && write(in, input.data(), input.size()) < 0) {
  }
  close(in);
  char buffer[4096];
  for (ssize_t n; (n = read(out, buffer, sizeof buffer)) > 0;) result.output.append(buffer, size_t(n));
  close(out);
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// The server on `listen` (127.0.0.1 and a free port unless told), stopped with SIGTERM when the
// object goes.
class RelayProcess {
 public:
  RelayProcess(const std::filesystem::path& data, std::vector<std::string> extra = {}, ChildLimits limits = {},
               const std::string& listen = "127.0.0.1:0") {
    std::vector<std::string> args{"serve", "--data", data.string(), "--listen", listen};
    args.insert(args.end(), extra.begin(), extra.end());
    int in = -1;
    pid_ = spawnRelay(args, in, out_, limits);
    if (pid_ < 0) return;
    close(in);
    reader_ = std::thread([this] { drain(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (port_ == 0 && std::chrono::steady_clock::now() < deadline && !ended_) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~RelayProcess() { stop(); }
  RelayProcess(const RelayProcess&) = delete;
  RelayProcess& operator=(const RelayProcess&) = delete;

  uint16_t port() const { return port_; }
  pid_t pid() const { return pid_; }
  // Still running (not exited or killed).
  bool alive() const {
    int status = 0;
    return pid_ > 0 && waitpid(pid_, &status, WNOHANG) == 0;
  }
  std::string output() const {
    std::lock_guard guard(lock_);
    return output_;
  }
  // SIGTERM and wait; the exit code (-1 when it did not exit normally).
  int stop() {
    if (pid_ <= 0) return exitCode_;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (reader_.joinable()) reader_.join();
    close(out_);
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return exitCode_;
  }

 private:
  void drain() {
    char buffer[4096];
    for (ssize_t n; (n = read(out_, buffer, sizeof buffer)) > 0;) {
      std::lock_guard guard(lock_);
      output_.append(buffer, size_t(n));
      const auto at = output_.find("Escutando em ");
      const auto colon = output_.find(':', at);
      if (port_ == 0 && at != std::string::npos && colon != std::string::npos) {
        port_ = uint16_t(std::atoi(output_.c_str() + colon + 1));
      }
    }
    ended_ = true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  int exitCode_ = -1;
  std::thread reader_;
  mutable std::mutex lock_;
  std::string output_;
  std::atomic<uint16_t> port_{0};
  std::atomic<bool> ended_{false};
};

}  // namespace px::test
