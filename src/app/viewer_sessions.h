// The shell's list of viewer sessions: "Conectar" starts one on its own thread; finished ones are
// reaped at the next start; at exit every session is stopped, its connection closed, its window
// asked to close, and its thread joined. Any number may run at once.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "viewer/viewer_session.h"

namespace px {

class ViewerSessions {
 public:
  // Makes the window-system side of one session; called on the main thread before its thread
  // starts, and kept until that thread has been joined.
  using UiFactory = std::function<std::unique_ptr<ViewerUi>(ViewerSession&)>;

  // `tunnel` empty: the relay's tunnel. Tests put a direct connection (or a failure) there.
  explicit ViewerSessions(UiFactory makeUi, TunnelOpener tunnel = {}, ViewerTimeouts timeouts = {})
      : makeUi_(std::move(makeUi)), tunnel_(std::move(tunnel)), timeouts_(timeouts) {}
  ~ViewerSessions() { stopAll({}); }
  ViewerSessions(const ViewerSessions&) = delete;
  ViewerSessions& operator=(const ViewerSessions&) = delete;

  // Reaps the finished sessions, then starts one for `remoteId`; the password is wiped by the
  // session thread.
  void start(const std::string& remoteId, std::string password);
  // Joins and frees every session whose thread has ended.
  void reap();
  // Clears every session's running flag, closes every connection, calls `closeWindow` for each
  // session (to post its window's close), then joins every thread. The list is empty afterwards.
  void stopAll(const std::function<void(ViewerSession&)>& closeWindow);

  // Whether any session but `self` is still live (running and not finished).
  bool anyOtherLive(const ViewerSession& self) const;
  size_t size() const;

 private:
  struct Entry {
    std::unique_ptr<ViewerSession> session;
    std::unique_ptr<ViewerUi> ui;
    std::thread thread;
  };

  UiFactory makeUi_;
  TunnelOpener tunnel_;
  ViewerTimeouts timeouts_;
  mutable std::mutex lock_;  // the list only; a connection is never closed while it is held
  std::vector<Entry> entries_;
};

// Shuts the session's connection down under its channel lock, so that a blocked receive returns.
void closeViewerConnection(ViewerSession& session);

}  // namespace px
