// What the shell gives every viewer session: the status line, the expired-login report, the
// last-session notice, this computer's ID. The window itself is the platform's part.
#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "app/viewer_sessions.h"
#include "app/worker_reports.h"
#include "host/host_state.h"

namespace px {

struct ShellViewerLinks {
  WorkerReports* reports = nullptr;
  const ViewerSessions* sessions = nullptr;
  const std::atomic<bool>* appRunning = nullptr;
  std::function<HostState()> hostState;  // empty: never hosting
  std::function<std::string()> ownId;    // empty: no ID (access-only mode)
};

class ShellViewerUi : public ViewerUi {
 public:
  explicit ShellViewerUi(ShellViewerLinks links) : links_(std::move(links)) {}

  bool appRunning() override;
  void setStatus(const std::string& text) override;
  void loginExpired() override;
  void showSecurityAlert() override;
  void sessionEnded(ViewerSession& session) override;
  std::string ownComputerId() override;
  // Receive thread: the card of that computer can show its new picture.
  void thumbnailSaved(const std::string& key) override;

  // Without a window system there is no window: the session fails at that step with its text.
  bool createWindow(ViewerSession& session) override;
  bool initRenderer(ViewerSession& session) override;
  bool runOnce(ViewerSession& session) override;

 private:
  ShellViewerLinks links_;
};

}  // namespace px
