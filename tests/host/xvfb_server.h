// A private Xvfb server for the X11 backend tests: started on a free display number (Xvfb picks
// it and reports it through -displayfd), no TCP listener, killed when the object dies. The screen is
// WIDTHxHEIGHTxDEPTH, 1280x720x24 unless given.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace px::test {

class XvfbServer {
 public:
  explicit XvfbServer(std::string screen = "1280x720x24") { start(screen); }
  ~XvfbServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  bool running() const { return !display_.empty(); }
  const std::string& display() const { return display_; }  // ":N"
  const std::string& failure() const { return failure_; }  // why it is not running
  pid_t pid() const { return pid_; }

 private:
  static std::string findXvfb() {
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
      size_t end = dirs.find(':', start);
      if (end == std::string::npos) end = dirs.size();
      std::string candidate = dirs.substr(start, end - start) + "/Xvfb";
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
      start = end + 1;
    }
    return {};
  }

  void start(const std::string& screen) {
    const std::string xvfb = findXvfb();
    if (xvfb.empty()) {
      failure_ = "Xvfb is not installed (Debian package xvfb)";
      return;
    }
    int fds[2];
    if (pipe(fds) != 0) {
      failure_ = "pipe failed";
      return;
    }
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      // Not left behind by a test or benchmark that dies without running its destructors.
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(1);
      close(fds[0]);
      const int devnull = open("/dev/null", O_WRONLY);
      if (devnull >= 0) {
        dup2(devnull, 1);
        dup2(devnull, 2);
      }
      const std::string fd = std::to_string(fds[1]);
      execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
            "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    if (pid_ < 0) {
      close(fds[0]);
      failure_ = "fork failed";
      return;
    }
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&p, 1, 15000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
      failure_ = "Xvfb did not report a display within 15 s";
      return;
    }
    display_ = ":" + number;
  }

  pid_t pid_ = -1;
  std::string display_;
  std::string failure_;
};

}  // namespace px::test
