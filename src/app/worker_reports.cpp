#include "app/worker_reports.h"

#include "app/posted_messages.h"
#include "ui/status_line.h"

namespace px {

template <typename Record>
bool WorkerReports::postRecord(uint32_t message, std::unique_ptr<Record> record) {
  if (!poster_.post(message, 0, reinterpret_cast<intptr_t>(record.get()))) return false;
  record.release();  // the window owns it now
  return true;
}

void WorkerReports::relayStatusChanged() { poster_.post(WM_APP_RELAY_CHANGED, 0, 0); }

void WorkerReports::viewerArrived(std::unique_ptr<SecureChannel> channel) {
  postRecord(WM_APP_INCOMING, std::move(channel));
}

void WorkerReports::sessionStarted(HostSessionStart start) {
  postRecord(WM_APP_HOST_SESSION, std::make_unique<HostSessionStart>(std::move(start)));
}

void WorkerReports::sessionEnded(bool refusedByUser) {
  poster_.post(WM_APP_SESSION_ENDED, refusedByUser ? 1 : 0, 0);
}

void WorkerReports::status(const std::string& text) { setStatus(text.c_str()); }

void WorkerReports::chatText(std::string text) {
  postRecord(WM_APP_CHAT, std::make_unique<std::string>(std::move(text)));
}

bool WorkerReports::loginFinished(std::unique_ptr<LoginResult> result) {
  return postRecord(WM_APP_LOGIN_RESULT, std::move(result));
}

void WorkerReports::loginExpired() { poster_.post(WM_APP_LOGIN_EXPIRED, 0, 0); }

void WorkerReports::recentsChanged() { poster_.post(WM_APP_RECENTS_CHANGED, 0, 0); }

}  // namespace px
