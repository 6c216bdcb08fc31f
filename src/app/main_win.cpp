// Windows entry point: brings up the drawing factories, the log, the stores, this computer's
// registration (when this instance is the one that shares it), the main window and its loop,
// then stops everything in order.
#include <d2d1.h>
#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <atomic>
#include <string>
#include <thread>

#include "app/command_line.h"
#include "app/host_mutex_win.h"
#include "app/main_window_win.h"
#include "app/startup.h"
#include "app/viewer_sessions.h"
#include "app/viewer_ui_win.h"
#include "app/window_poster_win.h"
#include "app/worker_reports.h"
#include "base/log.h"
#include "host/host_session.h"
#include "host/input_injector.h"
#include "host/screen_capturer.h"
#include "net/local_address.h"
#include "net/tcp_socket.h"
#include "relay/registration_loop.h"
#include "relay/relay_config.h"
#include "ui/access_prompt_win.h"
#include "ui/d2d_support_win.h"
#include "ui/status_line.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

constexpr const char* kAccessOnlyStatus = "Outra janela do Parvolex já compartilha este computador.";

std::atomic<bool> appRunning{true};

struct DrawingFactories {
  ComPtr<ID2D1Factory> d2d;
  ComPtr<IDWriteFactory> dwrite;
};

// Either may stay null; the windows then draw less (nothing without Direct2D).
DrawingFactories createDrawingFactories() {
  DrawingFactories f;
  D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, f.d2d.GetAddressOf());
  DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                      reinterpret_cast<IUnknown**>(f.dwrite.GetAddressOf()));
  return f;
}

HostDependencies hostDependencies(WorkerReports& reports, const std::atomic<HWND>& promptOwner) {
  HostDependencies deps;
  deps.events = &reports;
  deps.appRunning = &appRunning;
  deps.showAccessPrompt = [&promptOwner](const std::string& name, const std::string& id) {
    const PromptAnswer answer = showAccessPrompt(name, id, promptOwner.load());
    return AccessAnswer{answer.accepted, answer.allowControl};
  };
  deps.createCapturer = [] { return createScreenCapturer(); };
  deps.createInjector = [] { return createInputInjector(); };
  return deps;
}

// The registration thread: started only in host mode with a relay configured.
class Registration {
 public:
  void start(RegistrationEvents& events) {
    logPrintf("[RELAY] Registrando no relay %s:%d\n", relayConfig().primaryHost.c_str(),
              int(relayConfig().port));
    context_.running = &appRunning;
    context_.events = &events;
    thread_ = std::thread([this] { registrationLoop(context_); });
  }
  // Waits for the loop, which ends within a 100 ms step once the running flag is clear, so that
  // nothing it reports to is freed under it.
  ~Registration() {
    if (!thread_.joinable()) return;
    registrationState().interruptWait();
    thread_.join();
  }

 private:
  RegistrationContext context_;
  std::thread thread_;
};

int runMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

int run(HINSTANCE instance, PWSTR commandLine) {
  // Real Windows takes the awareness from the manifest; a failure here is harmless.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  DrawingFactories drawing = createDrawingFactories();
  openAppLog();
  loadLocalStores();
  socketsInitialise();
  logPrintf("[Parvolex] IP local: %s\n", localIpv4Address().c_str());
  loadRelayAndLogin();

  WindowPoster poster;
  WorkerReports reports(poster);
  std::atomic<HWND> promptOwner{nullptr};
  HostService host(hostDependencies(reports, promptOwner));
  const HostMutex hostMutex;
  const bool hostMode = hostMutex.owned();
  if (!hostMode) {
    logPrintf("[Parvolex] Outra janela ja compartilha este computador - modo somente acesso\n");
  }

  ViewerSessions viewers([&](ViewerSession&) {
    ShellViewerLinks links;
    links.reports = &reports;
    links.sessions = &viewers;
    links.appRunning = &appRunning;
    links.hostState = [&host] { return host.state(); };
    if (hostMode) links.ownId = [] { return registrationState().currentId(); };
    return std::make_unique<WinViewerUi>(std::move(links), promptOwner);
  });
  MainWindow window({instance, &host, &poster, &reports, &viewers, &appRunning, hostMode,
                     drawing.d2d, drawing.dwrite});
  if (!window.create()) {
    logPrintf("[Parvolex] Falha ao criar a janela principal (%lu)\n", GetLastError());
    appRunning.store(false);
    return 1;
  }
  promptOwner.store(window.hwnd());
  // Registration starts once the window exists: a viewer that arrives at once is posted to it
  // instead of being dropped for want of a window.
  Registration registration;
  if (hostMode && !relayConfig().primaryHost.empty()) registration.start(reports);
  window.show();
  if (!hostMode) setStatus(kAccessOnlyStatus);
  const std::string target = autoConnectTarget(narrow(commandLine ? commandLine : L""));
  if (!target.empty()) logPrintf("[Parvolex] Auto-connect a: %s\n", target.c_str());
  window.start(target);

  runMessageLoop();
  appRunning.store(false);
  // Viewer windows belong to their session threads; closing the connection ends each session.
  viewers.stopAll({});
  host.disconnect();
  promptOwner.store(nullptr);
  host.joinSession();
  return 0;
}

}  // namespace
}  // namespace px

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  return px::run(instance, commandLine);
}
