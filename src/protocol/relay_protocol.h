// Byte layouts of the relay protocol, shared by the client (src/relay) and the server (relayd).
// Pure functions: no sockets, no clocks, no shared state; any thread may call them.
//
// Registration ("PXR3"), host ↔ relay, plain bytes:
//   hello        host → relay  101  "PXR3" 17 | identity PublicKey64 | host nonce (32)
//   status       relay → host    1  18 = challenge follows, else a refusal code
//   challenge    relay → host   96  relay PublicKey64 | relay nonce (32)
//   proof        host → relay   64  Signature64 by the identity key over H_reg
//   status       relay → host    1  19 = registered, else a refusal code
//   confirmation relay → host   73  ID (9 ASCII digits) | Signature64 by the relay key over H_ok
//   notice       relay → host    1  20 = a viewer is joined to this connection
//
// Sealed requests ("PXR4"), viewer ↔ relay:
//   opening      viewer → relay  5  "PXR4" type (49 login, 50 tunnel, 51 logout)
//   status       relay → viewer  1  '@' = nonce follows, else a refusal code
//   nonce        relay → viewer 32
//   request      viewer → relay     ephemeral PublicKey64 | C (u16 BE) | sealed (C bytes)
//   status       relay → viewer  1  'A' = sealed reply follows, else a refusal code
//   reply        relay → viewer     R (u16 BE, 17..1024) | sealed (R bytes)
// Key: HKDF-SHA-256(salt = relay nonce, ikm = big-endian ECDH x, info = "parvolex-relay-v4" ‖
// relay key ‖ ephemeral key), 32 bytes; request sealed with counter 0, reply with counter 1;
// additional data "PXR4" ‖ type ‖ relay nonce.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/bytes.h"
#include "crypto/crypto.h"

namespace px {

using Nonce32 = std::array<uint8_t, 32>;
using SessionToken = std::array<uint8_t, 32>;

// ---- registration -------------------------------------------------------------------------
constexpr size_t kComputerIdLength = 9;
constexpr uint8_t kRegisterRequestType = 17;
constexpr size_t kRegistrationHelloSize = 101;
constexpr uint8_t kStatusChallenge = 18;
constexpr size_t kRelayChallengeSize = 96;
constexpr size_t kHostProofSize = 64;
constexpr uint8_t kStatusRegistered = 19;
constexpr size_t kConfirmationSize = 73;
constexpr uint8_t kViewerJoinedNotice = 20;

// Refusal codes a relay sends instead of a challenge, a confirmation or a sealed reply.
constexpr uint8_t kRefusalIdOffline = 5;
constexpr uint8_t kRefusalTooManyAttempts = 7;
constexpr uint8_t kRefusalRejected = 8;

// The first five bytes of every relay connection: magic and request type.
constexpr size_t kOpeningSize = 5;

struct RegistrationHello {
  PublicKey64 identity{};
  Nonce32 hostNonce{};
};
struct RelayChallenge {
  PublicKey64 relayKey{};
  Nonce32 relayNonce{};
};
struct RegistrationConfirmation {
  std::string id;  // nine bytes as received; not yet checked for digits
  Signature64 signature{};
};

std::array<uint8_t, kRegistrationHelloSize> buildRegistrationHello(const RegistrationHello& hello);
// Empty unless the bytes are exactly a hello: size, magic "PXR3" and type 17.
std::optional<RegistrationHello> parseRegistrationHello(ByteView bytes);
std::array<uint8_t, kRelayChallengeSize> buildRelayChallenge(const RelayChallenge& challenge);
std::optional<RelayChallenge> parseRelayChallenge(ByteView bytes);
// `id` must be nine characters; anything else yields empty.
std::optional<std::array<uint8_t, kConfirmationSize>> buildConfirmation(
    const RegistrationConfirmation& confirmation);
std::optional<RegistrationConfirmation> parseConfirmation(ByteView bytes);

// True for exactly nine ASCII digits.
bool isComputerId(std::string_view text);

// H_reg, signed by the host: "parvolex-relay-reg-v3" ‖ relay key ‖ identity ‖ host nonce ‖ relay nonce.
Digest32 registrationHash(const PublicKey64& relayKey, const PublicKey64& identity,
                          const Nonce32& hostNonce, const Nonce32& relayNonce);
// H_ok, signed by the relay: "parvolex-relay-regok-v3" ‖ identity ‖ host nonce ‖ ID.
Digest32 registrationOkHash(const PublicKey64& identity, const Nonce32& hostNonce,
                            std::string_view id);

// The text a host or viewer shows for a refusal code (5, 7, 8, anything else).
const char* refusalText(uint8_t code);

// ---- sealed requests ----------------------------------------------------------------------
enum class SealedType : uint8_t { kLogin = 49, kTunnel = 50, kLogout = 51 };
constexpr uint8_t kStatusNonce = 64;        // '@'
constexpr uint8_t kStatusSealedReply = 65;  // 'A'
constexpr size_t kSealedRequestHeaderSize = 66;
constexpr size_t kSealedAadSize = 37;
constexpr size_t kMinSealedReplyLength = 17;
constexpr size_t kMaxSealedReplyLength = 1024;
// Largest sealed request a relay reads: a login with three full 255-byte fields and its tag fits.
constexpr size_t kMaxSealedRequestLength = 1024;
constexpr std::string_view kSealedKeyLabel = "parvolex-relay-v4";

std::array<uint8_t, kOpeningSize> buildSealedOpening(SealedType type);
bool isSealedType(uint8_t type);

struct SealedRequestHeader {
  PublicKey64 ephemeral{};
  uint16_t sealedLength = 0;  // C
};
// ephemeral ‖ C (u16 BE) ‖ sealed, in one buffer so it can go out in one piece.
Bytes buildSealedRequest(const PublicKey64& ephemeral, ByteView sealed);
// Empty unless `bytes` is exactly the 66-byte header.
std::optional<SealedRequestHeader> parseSealedRequestHeader(ByteView bytes);
// R (u16 BE) ‖ sealed.
Bytes buildSealedReply(ByteView sealed);

std::array<uint8_t, kSealedAadSize> sealedAad(SealedType type, const Nonce32& relayNonce);

// Makes the exchange's RecordKey (counter 0) from `zLittleEndian` as ecdhAgree returns it. Both
// ends call this: the viewer with (ephemeral, pinned relay key), the relay with (its key, the
// viewer's ephemeral key). Wipes every intermediate secret.
bool deriveSealedKey(const SharedSecret& zLittleEndian, const Nonce32& relayNonce,
                     const PublicKey64& relayKey, const PublicKey64& ephemeral, RecordKey& out);

// ---- account requests and replies ----------------------------------------------------------
constexpr size_t kMaxLoginField = 255;
constexpr size_t kLoginReplyFixedSize = 38;
constexpr size_t kTunnelReplySize = 65;

enum AccountStatus : uint8_t {
  kAccountOk = 0,
  kAccountBadCredentials = 1,
  kAccountDisabled = 2,
  kAccountExpired = 3,
  kAccountLocked = 4,
  kAccountServiceDown = 5,
  kAccountSessionExpired = 6,
  kAccountIdOffline = 7,
  kAccountTooManyAttempts = 8,
};
const char* accountStatusText(uint8_t status);

struct LoginRequest {
  std::string login;
  std::string password;
  uint8_t remember = 0;
  std::string deviceLabel;
};
// Each text field is cut to its first 255 bytes. The caller wipes the result.
Bytes buildLoginRequest(const LoginRequest& request);
// Empty unless the length bytes account for every byte exactly.
std::optional<LoginRequest> parseLoginRequest(ByteView bytes);

struct LoginReply {
  uint8_t status = 0;
  SessionToken token{};
  uint32_t lifetimeSeconds = 0;
  std::string displayName;
};
// A refusal is the status byte alone; an accepted reply carries token, lifetime and name (cut to
// 255 bytes).
Bytes buildLoginReply(const LoginReply& reply);
// Empty for an empty input, for status 0 with a length other than 38 + m, and for a name length
// running past the end. A non-zero status parses with only the status set.
std::optional<LoginReply> parseLoginReply(ByteView bytes);

struct TunnelRequest {
  SessionToken token{};
  std::string id;  // as typed
};
Bytes buildTunnelRequest(const TunnelRequest& request);
// Empty when shorter than the token.
std::optional<TunnelRequest> parseTunnelRequest(ByteView bytes);

struct TunnelReply {
  uint8_t status = 0;
  PublicKey64 hostIdentity{};
};
Bytes buildTunnelReply(const TunnelReply& reply);

Bytes buildLogoutRequest(const SessionToken& token);
std::optional<SessionToken> parseLogoutRequest(ByteView bytes);

}  // namespace px
