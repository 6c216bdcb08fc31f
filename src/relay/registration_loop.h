// The host's registration thread: keeps one relay connection registered under the device
// identity, shows the ID it gets, and hands the connection over when a viewer is joined to it.
//
// Thread use: registrationLoop runs on its own thread. RelayStatus and the current ID are read by
// any thread; the loop is their only writer.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "crypto/crypto.h"
#include "net/secure_channel.h"
#include "relay/relay_status.h"

namespace px {

// What the loop reports to the shell, which maps these to window messages. Called on the
// registration thread.
class RegistrationEvents {
 public:
  virtual ~RegistrationEvents() = default;
  // The relay status or the current ID changed; re-read both.
  virtual void relayStatusChanged() = 0;
  // A viewer is joined to `channel`; ownership passes to the receiver.
  virtual void viewerArrived(std::unique_ptr<SecureChannel> channel) = 0;
};

// The registration state the main window shows.
class RegistrationState {
 public:
  RelayStatus status() const { return status_.load(); }
  std::string currentId() const;

  // Writers: the registration thread. Each returns whether the value changed (status) or was set.
  bool exchangeStatus(RelayStatus status) { return status_.exchange(status) != status; }
  void setCurrentId(const std::string& id);

  // Any thread, after clearing the running flag: wakes the loop if it is blocked waiting for a
  // viewer on its registered connection, so it can see the flag.
  void interruptWait();
  // The registration thread: the channel it is about to block on, or null once done.
  void setWaitingChannel(SecureChannel* channel);

 private:
  std::atomic<RelayStatus> status_{RelayStatus::kNotStarted};
  mutable std::mutex lock_;
  std::string id_;                     // guarded by lock_
  SecureChannel* waiting_ = nullptr;   // guarded by lock_
};

// The process-wide state shown by the main window.
RegistrationState& registrationState();

// The key the host registers with; the device identity by default.
struct RegistrationIdentity {
  std::function<bool(PublicKey64&)> publicKey;
  std::function<bool(const Digest32&, Signature64&)> sign;
};
RegistrationIdentity deviceIdentity();

// Pauses between attempts, in milliseconds.
struct RegistrationWaits {
  uint32_t retry = 5000;     // connect failed, no answer, proof not sent
  uint32_t refused = 30000;  // refusal code, missing challenge or confirmation
  uint32_t alarm = 60000;    // untrusted relay key, bad confirmation
  uint32_t lost = 2000;      // registered connection lost
};

struct RegistrationContext {
  const std::atomic<bool>* running = nullptr;  // the loop and its waits end when it is false
  RegistrationEvents* events = nullptr;
  RegistrationState* state = &registrationState();
  RegistrationIdentity identity = deviceIdentity();
  RegistrationWaits waits;
};

// How one registration attempt ended, which decides the pause before the next.
enum class RegistrationOutcome {
  kRetry,         // connect failed, no answer, proof not sent: waits.retry
  kRefused,       // refusal code, missing challenge or confirmation: waits.refused
  kAlarm,         // untrusted relay key or bad confirmation: waits.alarm
  kLost,          // the registered connection was lost: waits.lost
  kViewerJoined,  // the connection went to a viewer: register again at once
  kEnd,           // no identity key: the loop ends
};

// One attempt, from connecting to the viewer notice or the loss of the connection. Closes its
// connection unless it was handed over.
RegistrationOutcome registerOnce(const RegistrationContext& context);

// Returns when the running flag is clear or the identity key is unavailable.
void registrationLoop(const RegistrationContext& context);

// Sleeps `milliseconds` in 100 ms steps, returning early once `running` is false.
void waitWhileRunning(const std::atomic<bool>& running, uint32_t milliseconds);

}  // namespace px
