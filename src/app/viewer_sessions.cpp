#include "app/viewer_sessions.h"

namespace px {

void closeViewerConnection(ViewerSession& session) {
  std::lock_guard lock(session.channelLock);
  if (session.channel) closeSocket(*session.channel);
}

void ViewerSessions::start(const std::string& remoteId, std::string password) {
  reap();
  auto session = std::make_unique<ViewerSession>(remoteId);
  std::unique_ptr<ViewerUi> ui = makeUi_(*session);
  std::lock_guard lock(lock_);
  Entry& entry = entries_.emplace_back();
  entry.session = std::move(session);
  entry.ui = std::move(ui);
  entry.thread = std::thread(viewerThread, std::ref(*entry.session), std::move(password),
                             std::ref(*entry.ui), timeouts_, tunnel_);
}

void ViewerSessions::reap() {
  std::vector<Entry> done;
  {
    std::lock_guard lock(lock_);
    for (auto it = entries_.begin(); it != entries_.end();) {
      if (it->session->finished.load()) {
        done.push_back(std::move(*it));
        it = entries_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (Entry& entry : done) entry.thread.join();
}

void ViewerSessions::stopAll(const std::function<void(ViewerSession&)>& closeWindow) {
  std::vector<Entry> all;
  {
    std::lock_guard lock(lock_);
    for (Entry& entry : entries_) entry.session->running.store(false);
    all = std::move(entries_);
    entries_.clear();
  }
  for (Entry& entry : all) closeViewerConnection(*entry.session);
  if (closeWindow) {
    for (Entry& entry : all) closeWindow(*entry.session);
  }
  for (Entry& entry : all) entry.thread.join();
}

bool ViewerSessions::anyOtherLive(const ViewerSession& self) const {
  std::lock_guard lock(lock_);
  for (const Entry& entry : entries_) {
    const ViewerSession& other = *entry.session;
    if (&other != &self && !other.finished.load() && other.running.load()) return true;
  }
  return false;
}

size_t ViewerSessions::size() const {
  std::lock_guard lock(lock_);
  return entries_.size();
}

}  // namespace px
