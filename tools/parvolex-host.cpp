// The host side without a window: registers with the relay named by relay.cfg beside this
// executable, prints the ID it gets ("[RELAY] Registrado com ID: NNNNNNNNN"), and serves one
// viewer at a time on the X display in $DISPLAY (X11 capture, XTest input). Data (identity key,
// password, recent list, log) lives in the data folder.
//
//   parvolex-host [--accept ask|control|view|never] [--chat TEXT]
//                                                     serve until SIGINT / SIGTERM; each --chat
//                                                     TEXT goes to each viewer as a chat line,
//                                                     in order, once its session runs
//   parvolex-host --set-password                      password from standard input; empty removes
//
// --accept decides for viewers without a valid password proof: ask on the terminal (refused
// after 45 seconds), admit with control, admit view-only, or refuse.
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "base/data_folder.h"
#include "base/log.h"
#include "base/log_text.h"
#include "host/host_session.h"
#include "host/x11_factories.h"
#include "protocol/session_messages.h"
#include "relay/registration_loop.h"
#include "relay/relay_config.h"
#include "store/connection_lists.h"
#include "store/password_store.h"

namespace {

using namespace px;

constexpr int kPromptTimeoutMs = 45000;

std::atomic<bool> appRunning{true};

extern "C" void onStopSignal(int) { appRunning.store(false); }

enum class AcceptMode { kAsk, kControl, kView, kNever };

// Everything the worker threads report, handled in order on the main thread (the place the
// Windows shell handles its posted window messages).
struct Incoming { std::unique_ptr<SecureChannel> channel; };
struct Started { HostSessionStart start; };
struct Ended { bool refused = false; };
using Event = std::variant<Incoming, Started, Ended>;

class EventQueue : public RegistrationEvents, public HostEvents {
 public:
  void relayStatusChanged() override {}
  void viewerArrived(std::unique_ptr<SecureChannel> channel) override {
    push(Incoming{std::move(channel)});
  }
  void sessionStarted(HostSessionStart start) override { push(Started{std::move(start)}); }
  void sessionEnded(bool refused) override { push(Ended{refused}); }
  void status(const std::string& text) override { logPrintf("[STATUS] %s\n", text.c_str()); }
  void chatText(std::string text) override { logPrintf("[HOST] Chat: %s\n", escapeForLog(text).c_str()); }

  // Waits up to 100 ms for an event.
  std::optional<Event> next() {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, std::chrono::milliseconds(100), [&] { return !events_.empty(); });
    if (events_.empty()) return std::nullopt;
    Event e = std::move(events_.front());
    events_.pop_front();
    return e;
  }

 private:
  void push(Event e) {
    std::lock_guard guard(lock_);
    events_.push_back(std::move(e));
    changed_.notify_one();
  }
  std::mutex lock_;
  std::condition_variable changed_;
  std::deque<Event> events_;
};

// One prompt at a time (the host decides on one viewer at a time); reads a line from the
// terminal and refuses when none arrives within 45 seconds.
AccessAnswer askOnTerminal(const std::string& name, const std::string& id) {
  std::printf("Pedido de acesso de '%s' (ID %s). Aceitar? [c]ontrole, [v]isualizar, [n]ao: ",
              name.c_str(), id.empty() ? "-" : id.c_str());
  std::fflush(stdout);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPromptTimeoutMs);
  while (appRunning.load()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) break;
    pollfd in{STDIN_FILENO, POLLIN, 0};
    if (::poll(&in, 1, int(std::min<long long>(left, 100))) <= 0) continue;
    std::string line;
    if (!std::getline(std::cin, line)) break;
    if (!line.empty() && (line[0] == 'c' || line[0] == 'C' || line[0] == 's' || line[0] == 'S')) {
      return {true, true};
    }
    if (!line.empty() && (line[0] == 'v' || line[0] == 'V')) return {true, false};
    return {};
  }
  std::printf("\nTempo esgotado; pedido recusado.\n");
  return {};
}

AccessAnswer answerFor(AcceptMode mode, const std::string& name, const std::string& id) {
  switch (mode) {
    case AcceptMode::kAsk: return askOnTerminal(name, id);
    case AcceptMode::kControl: return {true, true};
    case AcceptMode::kView: return {true, false};
    case AcceptMode::kNever: return {};
  }
  return {};
}

int setPassword() {
  std::string password;
  std::getline(std::cin, password);
  if (!password.empty() && password.back() == '\r') password.pop_back();
  loadPasswordStore();
  const bool ok = setAccessPassword(asBytes(password));
  secureWipe(password.data(), password.size());
  std::printf("%s\n", ok ? "Senha de acesso salva." : "Nao foi possivel salvar a senha.");
  return ok ? 0 : 1;
}

int serve(AcceptMode mode, const std::vector<std::string>& chatLines) {
  if (!loadRelayConfig()) logPrintf("[Parvolex] relay.cfg ausente; usando o relay embutido\n");
  loadPasswordStore();
  loadRecent();

  EventQueue queue;
  HostDependencies deps;
  deps.events = &queue;
  deps.appRunning = &appRunning;
  deps.showAccessPrompt = [mode](const std::string& name, const std::string& id) {
    return answerFor(mode, name, id);
  };
  deps.createCapturer = [] { return createX11ScreenCapturer(""); };
  deps.createInjector = [] { return createX11InputInjector(""); };
  HostService host(std::move(deps));

  RegistrationContext context;
  context.running = &appRunning;
  context.events = &queue;
  std::thread registration([&] { registrationLoop(context); });

  size_t chatSent = chatLines.size();  // lines of this session sent so far
  while (appRunning.load()) {
    // Refused until the session's hello exchange ends: tried again on the next pass.
    while (chatSent < chatLines.size() && host.state() == HostState::kActive &&
           host.sendChat(chatLines[chatSent])) {
      ++chatSent;
    }
    std::optional<Event> event = queue.next();
    if (!event) continue;
    if (auto* in = std::get_if<Incoming>(&*event)) {
      host.offerIncoming(std::move(in->channel));
    } else if (auto* started = std::get_if<Started>(&*event)) {
      host.startHostSession(std::move(started->start));
      chatSent = 0;
    } else if (auto* ended = std::get_if<Ended>(&*event)) {
      chatSent = chatLines.size();
      if (host.state() != HostState::kActive && !ended->refused) {
        logPrintf("[STATUS] Pronto. Aguardando conexão...\n");
      }
    }
  }
  logPrintf("[Parvolex] Encerrando\n");
  registrationState().interruptWait();
  registration.join();
  host.disconnect();
  host.joinSession();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  AcceptMode mode = AcceptMode::kAsk;
  bool settingPassword = false;
  std::vector<std::string> chatLines;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--set-password") {
      settingPassword = true;
    } else if (arg == "--chat" && i + 1 < argc) {
      chatLines.push_back(argv[++i]);
      Bytes unused;
      if (!buildChatText(chatLines.back(), unused)) {
        std::fprintf(stderr, "--chat: de 1 a 8000 bytes de UTF-8\n");
        return 2;
      }
    } else if (arg == "--accept" && i + 1 < argc) {
      const std::string value = argv[++i];
      if (value == "ask") mode = AcceptMode::kAsk;
      else if (value == "control") mode = AcceptMode::kControl;
      else if (value == "view") mode = AcceptMode::kView;
      else if (value == "never") mode = AcceptMode::kNever;
      else { std::fprintf(stderr, "--accept: ask, control, view ou never\n"); return 2; }
    } else {
      std::fprintf(stderr, "Uso: %s [--accept ask|control|view|never] [--chat TEXTO] | --set-password\n",
                   argv[0]);
      return 2;
    }
  }
  if (settingPassword) return setPassword();
  openLog(dataFolder() / kLogFileName);
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  std::signal(SIGPIPE, SIG_IGN);
  return serve(mode, chatLines);
}
