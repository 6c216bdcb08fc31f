// parvolex-view: the viewer side without a window. Logs in (or reuses the saved login), connects
// to a computer ID through the relay, decodes its screen, optionally clicks, types, chats and
// switches monitors, writes a PNG snapshot of the decoded screen, says Bye and exits.
//
//   parvolex-view ID [--login LOGIN] [--remote-password-file FILE] [--data DIR]
//                    [--relay-config FILE] [--frames N] [--seconds S] [--snapshot FILE.png]
//                    [--click X,Y] [--type TEXT] [--chat TEXT] [--monitor I] [--stay S]
//
// --stay keeps the session open up to S seconds after the snapshot (chat replies are logged), and
// ends early when the remote side ends it. The account password comes from standard input (one line). Exit status 0 on success; on
// failure the session's error text goes to standard error and the status is 1 (2: bad usage).
#include <png.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "base/data_folder.h"
#include "base/log.h"
#include "base/log_text.h"
#include "protocol/session_messages.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "relay/relay_config.h"
#include "store/saved_login.h"
#include "viewer/viewer_input.h"
#include "viewer/viewer_session.h"

namespace px {
namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  std::string id;
  std::string login;
  std::string remotePasswordFile;
  std::string dataDir;
  std::string relayConfig;
  int frames = -1;
  double seconds = -1;
  double stay = 0;
  std::string snapshot;
  std::optional<std::pair<int, int>> click;
  std::string type;
  std::string chat;
  int monitor = -1;
};

constexpr const char* kUsage =
    "Uso: parvolex-view ID [--login LOGIN] [--remote-password-file ARQ] [--data DIR]\n"
    "       [--relay-config ARQ] [--frames N] [--seconds S] [--snapshot ARQ.png]\n"
    "       [--click X,Y] [--type TEXTO] [--chat TEXTO] [--monitor I] [--stay S]\n";

bool parseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string v;
    if (a.rfind("--", 0) != 0) {
      if (!o.id.empty()) return false;
      for (char c : a)
        if (c != ' ') o.id.push_back(c);
    } else if (!next(v)) {
      return false;
    } else if (a == "--login") {
      o.login = v;
    } else if (a == "--remote-password-file") {
      o.remotePasswordFile = v;
    } else if (a == "--data") {
      o.dataDir = v;
    } else if (a == "--relay-config") {
      o.relayConfig = v;
    } else if (a == "--frames") {
      o.frames = std::atoi(v.c_str());
    } else if (a == "--seconds") {
      o.seconds = std::atof(v.c_str());
    } else if (a == "--stay") {
      o.stay = std::atof(v.c_str());
    } else if (a == "--snapshot") {
      o.snapshot = v;
    } else if (a == "--click") {
      int x = 0, y = 0;
      if (std::sscanf(v.c_str(), "%d,%d", &x, &y) != 2) return false;
      o.click = std::make_pair(x, y);
    } else if (a == "--type") {
      o.type = v;
    } else if (a == "--chat") {
      o.chat = v;
    } else if (a == "--monitor") {
      o.monitor = std::atoi(v.c_str());
    } else {
      return false;
    }
  }
  return !o.id.empty();
}

bool writePng(const std::string& path, const uint8_t* bgra, int width, int height) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = false;
  if (info && !setjmp(png_jmpbuf(png))) {
    png_init_io(png, file);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> row(size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
      const uint8_t* src = bgra + size_t(y) * width * 4;
      for (int x = 0; x < width; ++x) {
        row[x * 3] = src[x * 4 + 2];
        row[x * 3 + 1] = src[x * 4 + 1];
        row[x * 3 + 2] = src[x * 4];
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    ok = true;
  }
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 && ok;
}

// Virtual-key codes for the characters --type accepts; uppercase letters add Shift.
std::optional<std::pair<uint16_t, bool>> keyForChar(char c) {
  if (c >= 'a' && c <= 'z') return std::make_pair(uint16_t('A' + (c - 'a')), false);
  if (c >= 'A' && c <= 'Z') return std::make_pair(uint16_t(c), true);
  if (c >= '0' && c <= '9') return std::make_pair(uint16_t(c), false);
  switch (c) {
    case ' ': return std::make_pair(uint16_t(0x20), false);
    case '\n': return std::make_pair(uint16_t(0x0D), false);
    case '.': return std::make_pair(uint16_t(0xBE), false);
    case ',': return std::make_pair(uint16_t(0xBC), false);
    case '-': return std::make_pair(uint16_t(0xBD), false);
    default: return std::nullopt;
  }
}

class HeadlessUi final : public ViewerUi {
 public:
  explicit HeadlessUi(const Options& o) : options_(o) {}

  bool createWindow(ViewerSession&) override { return true; }
  bool initRenderer(ViewerSession&) override { return true; }
  void setStatus(const std::string& text) override { status_ = text; }
  void showSecurityAlert() override {
    logPrintf("[VIEWER] ALERTA: a identidade do computador remoto nao confere com a esperada\n");
  }
  void frameDecoded(ViewerSession&) override { ++frames_; }
  void chatReceived(ViewerSession& s) override {
    std::lock_guard lock(s.chat.lock);
    if (s.chat.entries.empty()) return;
    std::string text;
    for (char16_t c : s.chat.entries.back().text) text.push_back(c < 0x80 ? char(c) : '?');
    logPrintf("[VIEWER] Chat recebido: %s\n", escapeForLog(text).c_str());
  }
  void showWindow(ViewerSession&) override { start_ = Clock::now(); }

  bool runOnce(ViewerSession& s) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    switch (phase_) {
      case Phase::kWaitFrames: {
        const bool framesDone = options_.frames < 0 ? frames_ >= 1 : frames_ >= options_.frames;
        const bool timeDone = options_.seconds >= 0 && elapsed >= options_.seconds;
        const bool enough = options_.seconds >= 0 && options_.frames < 0 ? timeDone
                                                                        : framesDone || timeDone;
        if (!enough) return true;
        actInput(s);
        phase_ = Phase::kSettle;
        settleFrom_ = Clock::now();
        settleFrames_ = frames_.load();
        return true;
      }
      case Phase::kSettle: {
        // After a monitor switch, wait for a frame of the new monitor; after input, give the host
        // a moment so that the snapshot shows its effect.
        const double settled = std::chrono::duration<double>(Clock::now() - settleFrom_).count();
        const bool needFrame = options_.monitor >= 0;
        const bool acted = options_.click || !options_.type.empty() || options_.monitor >= 0;
        if (needFrame && frames_ <= settleFrames_ && settled < 5.0) return true;
        if (acted && settled < 1.0) return true;
        snapshot(s);
        phase_ = Phase::kStay;
        stayFrom_ = Clock::now();
        return true;
      }
      case Phase::kStay: {
        const double stayed = std::chrono::duration<double>(Clock::now() - stayFrom_).count();
        if (stayed < options_.stay) return true;
        closedHere_ = true;
        return false;  // closes the "window": the session says Bye
      }
    }
    return false;
  }

  bool snapshotFailed() const { return snapshotFailed_; }
  // This side closed the session (not the remote side, nor a failure).
  bool completed() const { return closedHere_; }
  int frames() const { return frames_; }

 private:
  enum class Phase { kWaitFrames, kSettle, kStay };

  void actInput(ViewerSession& s) {
    if (options_.monitor >= 0) {
      logPrintf("[VIEWER] Pedindo monitor %d\n", options_.monitor + 1);
      sendSelectMonitor(s, options_.monitor);
    }
    if (options_.click) {
      const auto [x, y] = *options_.click;
      sendMouseMove(s, {x, y});
      sendMouse(s, uint8_t(kMousePress), x, y, 1, 0);
      sendMouse(s, uint8_t(kMouseRelease), x, y, 1, 0);
      logPrintf("[VIEWER] Clique em %d,%d\n", x, y);
      // As a person would, let the click's window take the focus before typing into it.
      if (!options_.type.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    for (const char c : options_.type) {
      const auto key = keyForChar(c);
      if (!key) continue;
      if (key->second) sendKey(s, 0x10, scanCodeForKey(0x10), true, false);
      sendKey(s, key->first, 0, true, false);
      sendKey(s, key->first, 0, false, false);
      if (key->second) sendKey(s, 0x10, scanCodeForKey(0x10), false, false);
    }
    if (!options_.type.empty()) logPrintf("[VIEWER] Texto digitado: %s\n", options_.type.c_str());
    if (!options_.chat.empty() && sendChat(s, options_.chat))
      logPrintf("[VIEWER] Chat enviado: %s\n", options_.chat.c_str());
  }

  void snapshot(ViewerSession& s) {
    if (options_.snapshot.empty()) return;
    std::lock_guard lock(s.image.lock);
    if (writePng(options_.snapshot, s.image.pixels.data(), s.image.width, s.image.height)) {
      logPrintf("[VIEWER] Snapshot %dx%d salvo em %s\n", s.image.width, s.image.height,
                options_.snapshot.c_str());
    } else {
      snapshotFailed_ = true;
      logPrintf("[VIEWER] Snapshot FALHOU (%s)\n", options_.snapshot.c_str());
    }
  }

  const Options& options_;
  std::string status_;
  std::atomic<int> frames_{0};
  Phase phase_ = Phase::kWaitFrames;
  Clock::time_point start_ = Clock::now();
  Clock::time_point settleFrom_;
  Clock::time_point stayFrom_;
  bool closedHere_ = false;
  int settleFrames_ = 0;
  bool snapshotFailed_ = false;
};

// Fills the login state from --login (password on standard input) or the saved login.
bool logIn(const Options& o) {
  if (!o.login.empty()) {
    std::string password;
    std::getline(std::cin, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    auto result = performLogin(o.login, std::move(password), 1);
    if (!result->accepted) {
      std::fprintf(stderr, "%s\n", result->error.c_str());
      return false;
    }
    saveLogin(result->token, result->expiry, result->loginName, result->displayName);
    std::lock_guard lock(accountState().lock);
    accountState().session = {result->token, result->expiry, result->loginName,
                              result->displayName};
    return true;
  }
  SavedLogin saved;
  if (loadSavedLogin(saved, accountClockNow()) != SavedLoginRestore::kSession) {
    std::fprintf(stderr, "Entre com o seu login para acessar\n");
    return false;
  }
  std::lock_guard lock(accountState().lock);
  accountState().session = {saved.token, saved.expiry, saved.loginName, saved.displayName};
  return true;
}

bool readRemotePassword(const std::string& path, std::string& out) {
  if (path.empty()) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::getline(in, out);
  if (!out.empty() && out.back() == '\r') out.pop_back();
  return true;
}

int run(const Options& o) {
  if (!o.dataDir.empty()) setDataFolderOverride(o.dataDir);
  if (!o.relayConfig.empty() ? !loadRelayConfigFrom(o.relayConfig) : !loadRelayConfig())
    logPrintf("[Parvolex] relay.cfg ausente; usando o relay embutido\n");
  if (!logIn(o)) return 1;
  std::string remotePassword;
  if (!readRemotePassword(o.remotePasswordFile, remotePassword)) {
    std::fprintf(stderr, "Erro: arquivo de senha ilegivel\n");
    return 1;
  }
  ViewerSession session(o.id);
  HeadlessUi ui(o);
  viewerThread(session, std::move(remotePassword), ui);
  if (!session.failure.empty()) {
    std::fprintf(stderr, "%s\n", session.failure.c_str());
    return 1;
  }
  if (!ui.completed()) logPrintf("[VIEWER] Sessao encerrada pelo computador remoto\n");
  logPrintf("[VIEWER] %d quadros decodificados\n", ui.frames());
  std::printf("Bye\n");
  std::fflush(stdout);
  return ui.snapshotFailed() ? 1 : 0;
}

}  // namespace
}  // namespace px

int main(int argc, char** argv) {
  px::Options options;
  if (!px::parseOptions(argc, argv, options)) {
    std::fputs(px::kUsage, stderr);
    return 2;
  }
  return px::run(options);
}
