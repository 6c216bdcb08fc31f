// Where the relay is and which key it must present. Built-in deployment defaults (set at build
// time), optionally overridden by the first line of relay.cfg beside the executable:
//   host[:port][<spaces or tabs>128-hex-digit relay key]
//
// Thread use: written once on the main thread at start-up, before any relay thread runs; only
// read afterwards, so it takes no lock.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "crypto/crypto.h"
#include "net/secure_channel.h"

namespace px {

struct RelayConfig {
  std::string primaryHost;
  std::string fallbackHost;  // empty: no fallback
  uint16_t port = 9001;
  PublicKey64 pinnedKey{};
  bool pinnedKeyPresent = false;
};

// The process-wide configuration.
const RelayConfig& relayConfig();
// Replaces it wholesale (start-up and tests only, before relay threads run).
void setRelayConfig(const RelayConfig& config);

// The deployment defaults compiled into this build, with the built-in key parsed.
RelayConfig builtInRelayConfig();

// Exactly 128 hexadecimal digits, either case; `out` changes only on success.
bool parseRelayKeyHex(std::string_view text, PublicKey64& out);

// Applies one relay.cfg line to `config`. True when it supplied a non-empty host.
bool applyRelayConfigLine(std::string line, RelayConfig& config);

// Resets to the built-in defaults, then applies relay.cfg beside the executable. True when the
// file supplied a non-empty host.
bool loadRelayConfig();
// The same with another file (tests).
bool loadRelayConfigFrom(const std::filesystem::path& file);

// Connects to the primary host, else (with a log line) to the fallback, at the configured port.
bool connectRelay(SecureChannel& channel);

// True when `key` is acceptable as the relay's: the pinned key, else trust on first use under
// "relay-server:<primary host>:<port>".
bool relayKeyTrusted(const PublicKey64& key);

}  // namespace px
