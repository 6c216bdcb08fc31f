// One sealed exchange with the relay (login, tunnel, logout), and the tunnel request built on it.
// Runs on the calling thread; reads the relay configuration without a lock.
#pragma once

#include <string>

#include "net/secure_channel.h"
#include "protocol/relay_protocol.h"

namespace px {

struct SealedFailure {
  std::string error;           // one short Portuguese sentence
  bool identityAlarm = false;  // the reply could not be authenticated as the relay's
};

// Connects `channel` to the relay and exchanges one request of `type`. On success `reply` holds
// the opened reply plaintext (never empty) and the connection stays open: for a tunnel it is now
// the tunnel; for login and logout the caller closes it.
bool relaySealedRequest(SecureChannel& channel, SealedType type, ByteView request, Bytes& reply,
                        SealedFailure& failure);

struct TunnelFailure {
  std::string error;
  bool identityAlarm = false;  // the relay's or the host's key did not match
  bool loginRequired = false;  // the account session ended; the user must log in again
};

// Asks for a tunnel to `id` (as typed). On success the relay has joined `channel` to the host and
// `hostIdentity` is the key the relay knows for that ID, already checked against the known hosts.
bool requestTunnel(const std::string& id, SecureChannel& channel, PublicKey64& hostIdentity,
                   TunnelFailure& failure);

}  // namespace px
