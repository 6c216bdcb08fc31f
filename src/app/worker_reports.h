// The one place where worker threads' reports become posted messages: the registration loop's
// and the host service's events, login results, recent-list changes and an expired login. Every
// method may be called on any thread and returns at once. A record that cannot be posted (the
// window is gone) is freed here, so nothing leaks and nothing is delivered twice.
#pragma once

#include <memory>
#include <string>

#include "app/message_poster.h"
#include "host/host_session.h"
#include "relay/login_worker.h"
#include "relay/registration_loop.h"

namespace px {

class WorkerReports final : public RegistrationEvents, public HostEvents {
 public:
  // `poster` must outlive every worker that reports here.
  explicit WorkerReports(MessagePoster& poster) : poster_(poster) {}

  void relayStatusChanged() override;
  void viewerArrived(std::unique_ptr<SecureChannel> channel) override;

  void sessionStarted(HostSessionStart start) override;
  void sessionEnded(bool refusedByUser) override;
  // Status texts go straight to the status line, which any thread may set.
  void status(const std::string& text) override;
  void chatText(std::string text) override;

  bool loginFinished(std::unique_ptr<LoginResult> result);
  void loginExpired();
  void recentsChanged();

 private:
  template <typename Record>
  bool postRecord(uint32_t message, std::unique_ptr<Record> record);

  MessagePoster& poster_;
};

// The receiving side: takes ownership of a record posted by WorkerReports. Null for lParam 0.
template <typename Record>
std::unique_ptr<Record> takePostedRecord(intptr_t lParam) {
  return std::unique_ptr<Record>(reinterpret_cast<Record*>(lParam));
}

}  // namespace px
