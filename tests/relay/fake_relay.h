// A scripted relay on a loopback port for the client's tests: each script gets one accepted
// connection and plays the relay's side byte for byte. Portable (runs under Wine too).
#pragma once

#include <functional>
#include <thread>

#include "net/tcp_socket.h"
#include "protocol/relay_protocol.h"
#include "relay/relay_config.h"
#include "support/ecdh_support.h"

namespace px::test {

inline bool agreementAvailable() { return ecdhAgreementAvailable(); }

#define PX_SKIP_WITHOUT_AGREEMENT()                                                       \
  if (!::px::test::agreementAvailable())                                                  \
  GTEST_SKIP() << "ECDH agreement is unavailable on this crypto provider "                \
                  "(BCryptDeriveKey after BCryptSecretAgreement fails, as under Wine)"

class FakeRelay {
 public:
  using Script = std::function<void(NativeSocket)>;

  FakeRelay() : key_(P256KeyPair::generate()) { listener_ = tcpListenLoopback(port_); }
  ~FakeRelay() {
    join();
    socketShutdownAndClose(listener_);
  }

  uint16_t port() const { return port_; }
  const P256KeyPair& key() const { return key_; }

  // Points the client's configuration here, pinning `pinned` (this relay's key by default).
  void configureClient(const PublicKey64* pinned = nullptr) const {
    RelayConfig config;
    config.primaryHost = "127.0.0.1";
    config.port = port_;
    config.pinnedKey = pinned ? *pinned : key_.publicKey();
    config.pinnedKeyPresent = true;
    setRelayConfig(config);
  }

  // Serves the next connection with `script` on a thread of its own.
  void serve(Script script) {
    join();
    thread_ = std::thread([this, script = std::move(script)] {
      const NativeSocket socket = tcpAccept(listener_);
      if (socket == kInvalidSocket) return;
      socketSetReceiveTimeout(socket, 10000);
      script(socket);
      socketShutdownAndClose(socket);
    });
  }
  void join() {
    if (thread_.joinable()) thread_.join();
  }

  static Bytes receive(NativeSocket socket, size_t count) {
    Bytes bytes(count);
    if (!socketReceiveAll(socket, bytes)) bytes.clear();
    return bytes;
  }
  static void send(NativeSocket socket, ByteView bytes) { socketSendAll(socket, bytes); }
  static void sendByte(NativeSocket socket, uint8_t byte) { socketSendAll(socket, ByteView(&byte, 1)); }

  // Registration up to the confirmation: reads the hello, sends the challenge, reads the proof
  // and sends status 19 with `id` signed over `signedId`.
  void registerHost(NativeSocket socket, const std::string& id, const std::string& signedId) const {
    auto hello = parseRegistrationHello(receive(socket, kRegistrationHelloSize));
    if (!hello) return;
    Nonce32 nonce{};
    nonce[0] = 0x33;
    sendByte(socket, kStatusChallenge);
    send(socket, buildRelayChallenge({key_.publicKey(), nonce}));
    if (receive(socket, kHostProofSize).empty()) return;
    RegistrationConfirmation confirmation{id, {}};
    key_.sign(registrationOkHash(hello->identity, hello->hostNonce, signedId), confirmation.signature);
    sendByte(socket, kStatusRegistered);
    send(socket, *buildConfirmation(confirmation));
  }

  // A sealed exchange seen from the relay: opening, nonce, request; `answer` turns the opened
  // request into the bytes sent after status 'A' (length and sealed reply, or anything else).
  struct Opened {
    SealedType type = SealedType::kLogin;
    Nonce32 nonce{};
    RecordKey key;
    Bytes plaintext;
    uint16_t sealedLength = 0;
  };
  bool openRequest(NativeSocket socket, Opened& out) const {
    const Bytes opening = receive(socket, kOpeningSize);
    if (opening.size() != kOpeningSize) return false;
    out.type = SealedType(opening[4]);
    out.nonce.fill(0x44);
    sendByte(socket, kStatusNonce);
    send(socket, out.nonce);
    auto header = parseSealedRequestHeader(receive(socket, kSealedRequestHeaderSize));
    if (!header) return false;
    out.sealedLength = header->sealedLength;
    const Bytes sealed = receive(socket, header->sealedLength);
    SharedSecret z;
    return key_.agree(header->ephemeral, z) &&
           deriveSealedKey(z, out.nonce, key_.publicKey(), header->ephemeral, out.key) &&
           gcmOpen(out.key, sealedAad(out.type, out.nonce), sealed, out.plaintext);
  }
  static void sendSealedReply(NativeSocket socket, Opened& opened, ByteView reply) {
    Bytes sealed;
    gcmSeal(opened.key, sealedAad(opened.type, opened.nonce), reply, sealed);
    sendByte(socket, kStatusSealedReply);
    send(socket, buildSealedReply(sealed));
  }

 private:
  P256KeyPair key_;
  uint16_t port_ = 0;
  NativeSocket listener_ = kInvalidSocket;
  std::thread thread_;
};

}  // namespace px::test
