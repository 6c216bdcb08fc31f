// Parvolex.exe under Wine as the session benchmarks' host. It runs in the scratch prefix named by
// WINEPREFIX (made by scripts/wine-prefix.sh, which also exports the rest of Wine's settings);
// $PX_WINE_HOST_EXE is the 64-bit exe, with the DLLs beside it copied along; $PX_WINE_LOADER
// starts it (default: wine). A viewer gets in without a prompt by the unattended password that
// is written into the prefix before the exe starts.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

#include "session_rig.h"

namespace px::bench {

// The prefix for one rig. Ending it ends its wineserver and every program in it, so the next
// rig's exe starts a fresh Wine on that rig's own X display.
class WinePrefixSession {
 public:
  WinePrefixSession();
  ~WinePrefixSession();
  WinePrefixSession(const WinePrefixSession&) = delete;
  WinePrefixSession& operator=(const WinePrefixSession&) = delete;

  bool ready() const { return failure_.empty(); }
  const std::string& failure() const { return failure_; }

  // Copies the exe and its DLLs into work/winebin with relay.cfg, stores `password` as the
  // unattended password in the prefix, and fills `launch`; false with failure() set.
  bool prepareHost(const std::filesystem::path& work, const std::string& display, uint16_t port,
                   const std::string& relayKeyHex, const std::string& password,
                   HostLaunch& launch);
  // User plus system CPU seconds of the prefix's programs other than `except` (wineserver,
  // explorer.exe, services and the like), of those running now.
  double otherCpuSeconds(pid_t except) const;

 private:
  bool writePassword(const std::string& password);

  std::filesystem::path prefix_;
  std::filesystem::path exe_;
  std::string loader_;
  std::string failure_;
};

}  // namespace px::bench
