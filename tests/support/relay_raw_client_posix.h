// A relay client that speaks the wire protocol from any loopback source address (127.x.y.z), so
// tests and benchmarks can play many distinct sources against the real relay process. Blocking
// calls with a receive time-out; no retries.
#pragma once

#include <string>

#include "crypto/crypto.h"
#include "protocol/relay_protocol.h"

namespace px::test {

// A TCP socket bound to `source` and connected to host:port; -1 on failure. Receives time out
// after `timeoutMs`.
int connectFrom(const std::string& source, const std::string& host, uint16_t port, int timeoutMs = 15000);

struct RawRegistration {
  // kStatusRegistered, a refusal code, or 0 when the relay closed or went silent.
  uint8_t status = 0;
  std::string id;
  int socket = -1;  // open while registered; the caller closes it
};
RawRegistration registerFrom(const std::string& source, const std::string& host, uint16_t port,
                             const P256KeyPair& identity);

struct RawSealed {
  uint8_t refusal = 0;  // the status byte when it was no challenge or sealed reply; else 0
  bool answered = false;  // a sealed reply opened
  Bytes reply;
  int socket = -1;  // open after a sealed reply (a joined tunnel); the caller closes it
};
RawSealed sealedFrom(const std::string& source, const std::string& host, uint16_t port,
                     const PublicKey64& relayKey, SealedType type, ByteView request);

// The login's account status (0..8), 100 + a refusal code, or -1 without an answer.
int loginFrom(const std::string& source, const std::string& host, uint16_t port, const PublicKey64& relayKey,
              const std::string& login, const std::string& password, SessionToken* token = nullptr);

}  // namespace px::test
