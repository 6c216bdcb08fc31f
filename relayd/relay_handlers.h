// The relay's side of registration and of the sealed exchange, as steps over byte buffers with no
// sockets, so tests and fuzzers drive them directly. The Asio plumbing (relay_server.cpp) only
// moves these buffers.
#pragma once

#include <optional>
#include <string>

#include "protocol/relay_protocol.h"

namespace px::relayd {

// ---- registration ----
struct PendingRegistration {
  RegistrationHello hello;
  Nonce32 relayNonce{};
};

// From the 101 hello bytes: the state to keep and `answer` = status 18 ‖ challenge (97 bytes).
// Empty when the hello is malformed or no nonce can be drawn.
std::optional<PendingRegistration> beginRegistration(ByteView hello, const PublicKey64& relayKey,
                                                     Bytes& answer);
// True when the 64 proof bytes are the identity key's signature over H_reg.
bool verifyRegistrationProof(const PendingRegistration& pending, const PublicKey64& relayKey,
                             ByteView proof);
// status 19 ‖ ID ‖ relay signature over H_ok (74 bytes). False when `id` is not nine digits or
// signing fails.
bool buildRegisteredAnswer(const PendingRegistration& pending, const std::string& id,
                           const P256KeyPair& relayKey, Bytes& answer);

// ---- sealed exchange ----
struct SealedExchange {
  SealedType type = SealedType::kLogin;
  Nonce32 relayNonce{};
  RecordKey key;  // valid once the request opened
};

// From the 5 opening bytes: the exchange and `answer` = '@' ‖ nonce (33 bytes). Empty when the
// magic or type is not ours.
std::optional<SealedExchange> beginSealedExchange(ByteView opening, Bytes& answer);
// Whether a sealed length C from the request header is worth reading.
bool acceptableSealedLength(uint16_t length);
// Agrees with the viewer's ephemeral key, derives the exchange key and opens the request.
bool openSealedRequest(SealedExchange& exchange, const P256KeyPair& relayKey,
                       const SealedRequestHeader& header, ByteView sealed, Bytes& plaintext);
// status 'A' ‖ R ‖ sealed reply. Replies must be 1..1008 bytes (R within 17..1024).
bool sealReply(SealedExchange& exchange, ByteView reply, Bytes& answer);

}  // namespace px::relayd
