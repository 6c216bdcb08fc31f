#include "wine_host.h"

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "protocol/access_password.h"
#include "store/password_store.h"

namespace px::bench {
namespace {

namespace fs = std::filesystem;

constexpr auto kWineRegisterLimit = std::chrono::seconds(60);  // a cold Wine start included
constexpr auto kPrefixStopLimit = std::chrono::seconds(10);
// Few iterations: the viewer derives the hash once per session, which is not what is measured.
constexpr uint32_t kPasswordIterations = 1000;

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The roaming application-data folder of the prefix's user (not Public's); empty when missing.
fs::path roamingFolder(const fs::path& prefix) {
  std::error_code error;
  for (const auto& user : fs::directory_iterator(prefix / "drive_c" / "users", error)) {
    const fs::path roaming = user.path() / "AppData" / "Roaming";
    if (user.path().filename() != "Public" && fs::is_directory(roaming, error)) return roaming;
  }
  return {};
}

// Wine's own programs (their executable is a Wine loader or wineserver) whose environment names
// this prefix: Wine passes WINEPREFIX on to everything it starts, wineserver included.
std::vector<pid_t> prefixProcesses(const fs::path& prefix) {
  const std::string marker = "WINEPREFIX=" + prefix.string();
  std::vector<pid_t> pids;
  DIR* proc = opendir("/proc");
  if (!proc) return pids;
  while (const dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const long pid = std::strtol(entry->d_name, &end, 10);
    if (*end != '\0' || pid <= 0) continue;
    const fs::path folder = fs::path("/proc") / entry->d_name;
    std::error_code error;
    if (!fs::read_symlink(folder / "exe", error).filename().string().starts_with("wine")) continue;
    std::istringstream environ(readFile(folder / "environ"));
    for (std::string variable; std::getline(environ, variable, '\0');) {
      if (variable == marker) {
        pids.push_back(pid_t(pid));
        break;
      }
    }
  }
  closedir(proc);
  return pids;
}

bool copyHostFiles(const fs::path& exe, const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (!fs::copy_file(exe, folder / "Parvolex.exe", fs::copy_options::overwrite_existing, error)) {
    return false;
  }
  for (const auto& file : fs::directory_iterator(exe.parent_path(), error)) {
    if (file.path().extension() == ".dll") {
      fs::copy_file(file.path(), folder / file.path().filename(),
                    fs::copy_options::overwrite_existing, error);
    }
  }
  return true;
}

}  // namespace

WinePrefixSession::WinePrefixSession()
    : prefix_(environmentValue("WINEPREFIX")),
      exe_(environmentValue("PX_WINE_HOST_EXE")),
      loader_(environmentValue("PX_WINE_LOADER")) {
  if (loader_.empty()) loader_ = "wine";
  std::error_code error;
  if (prefix_.empty() || !fs::is_directory(prefix_ / "drive_c", error)) {
    failure_ = "no Wine prefix in WINEPREFIX (run scripts/bench-wine-host.sh)";
  } else if (exe_.empty() || !fs::is_regular_file(exe_, error)) {
    failure_ = "no Parvolex.exe in PX_WINE_HOST_EXE (run scripts/bench-wine-host.sh)";
  }
}

WinePrefixSession::~WinePrefixSession() {
  if (prefix_.empty()) return;
  // wineserver -k ends every program of the prefix (WINEPREFIX is this process's own).
  const pid_t pid = fork();
  if (pid == 0) {
    execlp("wineserver", "wineserver", "-k", static_cast<char*>(nullptr));
    _exit(127);
  }
  if (pid > 0) waitpid(pid, nullptr, 0);
  const auto deadline = Clock::now() + kPrefixStopLimit;
  while (!prefixProcesses(prefix_).empty() && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool WinePrefixSession::prepareHost(const fs::path& work, const std::string& display,
                                    uint16_t port, const std::string& relayKeyHex,
                                    const std::string& password, HostLaunch& launch) {
  const fs::path folder = work / "winebin";
  if (!copyHostFiles(exe_, folder)) {
    failure_ = "cannot copy " + exe_.string();
    return false;
  }
  std::ofstream(folder / "relay.cfg") << "127.0.0.1:" << port << " " << relayKeyHex << "\n";
  if (!writePassword(password)) return false;
  launch.program = loader_;
  launch.args = {"Parvolex.exe"};
  launch.directory = folder;
  launch.environment = {{"DISPLAY", display}};
  launch.registerLimit = kWineRegisterLimit;
  return true;
}

bool WinePrefixSession::writePassword(const std::string& password) {
  const fs::path roaming = roamingFolder(prefix_);
  if (roaming.empty()) {
    failure_ = "no AppData folder in " + prefix_.string();
    return false;
  }
  PasswordRecord record;
  record.hasPassword = true;
  record.iterations = kPasswordIterations;
  record.salt.fill(0x5A);
  if (!hashAccessPassword(asBytes(password), record.salt, record.iterations, record.hash)) {
    failure_ = "cannot hash the unattended password";
    return false;
  }
  const Bytes file = encodePasswordFile(record);
  std::error_code error;
  fs::create_directories(roaming / "Parvolex", error);
  std::ofstream out(roaming / "Parvolex" / kPasswordFileName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
  if (!out) {
    failure_ = "cannot write the unattended password into the prefix";
    return false;
  }
  return true;
}

double WinePrefixSession::otherCpuSeconds(pid_t except) const {
  double total = 0;
  for (pid_t pid : prefixProcesses(prefix_)) {
    if (pid != except) total += processCpuSeconds(pid);
  }
  return total;
}

}  // namespace px::bench
