// The two-message end-to-end handshake that runs over a fresh tunnel before any record.
//
//   client hello (viewer → host, 69 bytes):  "PXSC" 02 | viewer ephemeral PublicKey64
//   server hello (host → viewer, 197 bytes): "PXSS" 02 | host ephemeral | host identity | Signature64(H)
//   H     = SHA-256("parvolex-hs-v1" ‖ viewer eph ‖ host eph ‖ host identity)
//   K_c2s = SHA-256("parvolex-c2s" ‖ Z ‖ H),  K_s2c = SHA-256("parvolex-s2c" ‖ Z ‖ H)
// with Z the little-endian ECDH secret. The viewer seals with K_c2s, the host with K_s2c.
#pragma once

#include <optional>

#include "base/bytes.h"
#include "crypto/crypto.h"

namespace px {

constexpr size_t kClientHelloSize = 69;
constexpr size_t kServerHelloSize = 197;
constexpr uint8_t kHandshakeVersion = 2;

enum class HandshakeSide { kViewer, kHost };

struct ClientHello {
  PublicKey64 viewerEphemeral{};
};
struct ServerHello {
  PublicKey64 hostEphemeral{};
  PublicKey64 hostIdentity{};
  Signature64 signature{};
};

std::array<uint8_t, kClientHelloSize> buildClientHello(const ClientHello& hello);
std::array<uint8_t, kServerHelloSize> buildServerHello(const ServerHello& hello);
// Empty when the magic or the version is not ours.
std::optional<ClientHello> parseClientHello(ByteView bytes);
std::optional<ServerHello> parseServerHello(ByteView bytes);

SessionHash handshakeHash(const PublicKey64& viewerEphemeral, const PublicKey64& hostEphemeral,
                          const PublicKey64& hostIdentity);
// This side's send and receive keys from the ECDH secret and H. Wipes its intermediate keys;
// false (keys unusable) when a key could not be made.
bool deriveSessionKeys(const SharedSecret& z, const SessionHash& h, HandshakeSide side,
                       RecordKey& sendKey, RecordKey& receiveKey);

// The host's signing key as the handshake sees it. The device identity (identity_key.h) is the
// one in use; tests and tools may sign with a key pair of their own.
class HandshakeSigner {
 public:
  virtual ~HandshakeSigner() = default;
  virtual bool publicKey(PublicKey64& out) = 0;
  virtual bool sign(const Digest32& digest, Signature64& out) = 0;
};

// Signs with a key pair the caller owns and keeps alive (tests, benchmarks, tools).
class KeyPairSigner final : public HandshakeSigner {
 public:
  explicit KeyPairSigner(const P256KeyPair& key) : key_(key) {}
  bool publicKey(PublicKey64& out) override;
  bool sign(const Digest32& digest, Signature64& out) override;

 private:
  const P256KeyPair& key_;
};

// Signs with the device identity key (identity_key.h).
class DeviceIdentitySigner final : public HandshakeSigner {
 public:
  bool publicKey(PublicKey64& out) override;
  bool sign(const Digest32& digest, Signature64& out) override;
};

}  // namespace px
