#include <gtest/gtest.h>

#include <thread>

#include "net/channel_handshake.h"
#include "net/channel_pair.h"
#include "net/record_layer.h"
#include "support/ecdh_support.h"

namespace px {
namespace {

using test::connectPair;

// The two directions' keys as the derivation defines them, computed here independently.
struct ExpectedKeys {
  AesKey32 clientToServer, serverToClient;
};
ExpectedKeys expectedKeys(const SharedSecret& z, const SessionHash& h) {
  return {sha256({asBytes("parvolex-c2s"), z, h}), sha256({asBytes("parvolex-s2c"), z, h})};
}

RecordKey recordKey(const AesKey32& raw) {
  RecordKey key;
  EXPECT_TRUE(RecordKey::create(raw, key));
  return key;
}

// One sealed record as it came off the stream: L, ciphertext, tag.
Bytes readWireRecord(SecureChannel& channel) {
  Bytes wire(4);
  uint32_t length = 0;
  if (!receiveExactly(channel, wire) || !parseSealedLength(wire.data(), length)) return {};
  wire.resize(4 + length);
  if (!receiveExactly(channel, MutableByteView(wire).subspan(4))) return {};
  return wire;
}

// Opens a copy of `wire` with a fresh key (counter 0) made from `raw`.
bool opensAtCounterZero(const Bytes& wire, const AesKey32& raw, Bytes& payload) {
  if (wire.size() < 4) return false;
  RecordKey key = recordKey(raw);
  Bytes body(wire.begin() + 4, wire.end());
  RecordHeader header;
  if (!openSealedRecord(key, wire.data(), body, body.data(), header)) return false;
  payload.assign(body.begin() + kRecordHeaderSize, body.begin() + kRecordHeaderSize + header.length);
  return true;
}

bool agreementAvailable() { return test::ecdhAgreementAvailable(); }

class HandshakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!agreementAvailable())
      GTEST_SKIP() << "ECDH agreement is unavailable on this crypto provider "
                      "(BCryptDeriveKey after BCryptSecretAgreement fails, as under Wine)";
    connectPair(viewer_, host_);
  }

  SecureChannel viewer_, host_;
  P256KeyPair identity_ = P256KeyPair::generate();
};

TEST_F(HandshakeTest, FullHandshakeThenRecordsBothWays) {
  KeyPairSigner signer(identity_);
  bool hostOk = false;
  std::jthread host([&] { hostOk = hostHandshake(host_, signer); });
  PublicKey64 proven{};
  const bool viewerOk = viewerHandshake(viewer_, proven);
  host.join();
  ASSERT_TRUE(viewerOk);
  ASSERT_TRUE(hostOk);
  EXPECT_EQ(proven, identity_.publicKey());
  EXPECT_TRUE(viewer_.hasKeys());
  EXPECT_EQ(viewer_.sessionHash(), host_.sessionHash());
  EXPECT_NE(viewer_.sessionHash(), SessionHash{});

  RecordHeader header;
  Bytes payload;
  ASSERT_TRUE(sendRecord(viewer_, 1, asBytes("pedido")));
  ASSERT_TRUE(receiveRecord(host_, header, payload));
  EXPECT_EQ(payload, Bytes(asBytes("pedido").begin(), asBytes("pedido").end()));
  ASSERT_TRUE(sendRecord(host_, 2, asBytes("aceito")));
  ASSERT_TRUE(receiveRecord(viewer_, header, payload));
  EXPECT_EQ(header.type, 2);
  EXPECT_EQ(payload, Bytes(asBytes("aceito").begin(), asBytes("aceito").end()));
}

// A client hello of another version or magic gets no answer at all: the viewer sees the
// connection end without a byte.
TEST(HostHandshakeTest, RefusesOtherVersionsAndMagicsSilently) {
  const P256KeyPair identity = P256KeyPair::generate();
  struct Case {
    const char* magic;
    uint8_t version;
  };
  for (const Case& c : {Case{"PXSC", 1}, Case{"PXSC", 3}, Case{"PXSS", 2}, Case{"XVRP", 2}}) {
    SecureChannel viewer, hostSide;
    connectPair(viewer, hostSide);
    std::array<uint8_t, kClientHelloSize> hello =
        buildClientHello(ClientHello{ecdhGenerate().publicKey()});
    std::memcpy(hello.data(), c.magic, 4);
    hello[4] = c.version;
    ASSERT_TRUE(sendExactly(viewer, hello));
    KeyPairSigner signer(identity);
    EXPECT_FALSE(hostHandshake(hostSide, signer)) << c.magic << int(c.version);
    EXPECT_FALSE(hostSide.hasKeys());
    closeSocket(hostSide);
    uint8_t anything;
    EXPECT_FALSE(receiveExactly(viewer, MutableByteView(&anything, 1)));
  }
}

// Runs the host's part by hand so a test can bend one step of it.
struct ManualHost {
  EphemeralKey ephemeral = ecdhGenerate();
  PublicKey64 viewerEphemeral{};
  SharedSecret z{};
  SessionHash h{};

  bool readHello(SecureChannel& channel) {
    std::array<uint8_t, kClientHelloSize> bytes{};
    if (!receiveExactly(channel, bytes)) return false;
    auto hello = parseClientHello(bytes);
    if (!hello) return false;
    viewerEphemeral = hello->viewerEphemeral;
    return ecdhAgree(ephemeral, viewerEphemeral, z);
  }
  bool reply(SecureChannel& channel, const P256KeyPair& identity, const SessionHash& signedHash) {
    ServerHello hello{ephemeral.publicKey(), identity.publicKey(), {}};
    return identity.sign(signedHash, hello.signature) &&
           sendExactly(channel, buildServerHello(hello));
  }
};

TEST_F(HandshakeTest, SignatureOverSwappedEphemeralKeysFailsAtViewer) {
  std::jthread host([&] {
    ManualHost manual;
    ASSERT_TRUE(manual.readHello(host_));
    const SessionHash swapped = handshakeHash(manual.ephemeral.publicKey(),
                                              manual.viewerEphemeral, identity_.publicKey());
    ASSERT_TRUE(manual.reply(host_, identity_, swapped));
  });
  PublicKey64 proven{};
  EXPECT_FALSE(viewerHandshake(viewer_, proven));
  host.join();
  EXPECT_FALSE(viewer_.hasKeys());
}

// Someone else's valid key with a valid signature passes the handshake itself; only the caller's
// comparison with the key the relay gave for the ID catches it.
TEST_F(HandshakeTest, SubstitutedIdentityPassesButDiffersFromExpectedKey) {
  const PublicKey64 relayKnown = identity_.publicKey();
  const P256KeyPair impostor = P256KeyPair::generate();
  KeyPairSigner signer(impostor);
  std::jthread host([&] { EXPECT_TRUE(hostHandshake(host_, signer)); });
  PublicKey64 proven{};
  EXPECT_TRUE(viewerHandshake(viewer_, proven));
  host.join();
  EXPECT_EQ(proven, impostor.publicKey());
  EXPECT_NE(proven, relayKnown);
}

TEST_F(HandshakeTest, ViewerSealsFirstRecordWithClientKeyAtCounterZero) {
  ManualHost manual;
  std::jthread host([&] {
    ASSERT_TRUE(manual.readHello(host_));
    manual.h = handshakeHash(manual.viewerEphemeral, manual.ephemeral.publicKey(),
                             identity_.publicKey());
    ASSERT_TRUE(manual.reply(host_, identity_, manual.h));
  });
  PublicKey64 proven{};
  const bool viewerOk = viewerHandshake(viewer_, proven);
  host.join();
  ASSERT_TRUE(viewerOk);
  const ExpectedKeys keys = expectedKeys(manual.z, manual.h);
  EXPECT_NE(keys.clientToServer, keys.serverToClient);
  EXPECT_EQ(viewer_.sessionHash(), manual.h);

  ASSERT_TRUE(sendRecord(viewer_, 1, asBytes("um")));
  const Bytes wire = readWireRecord(host_);
  Bytes payload;
  EXPECT_FALSE(opensAtCounterZero(wire, keys.serverToClient, payload));
  ASSERT_TRUE(opensAtCounterZero(wire, keys.clientToServer, payload));
  EXPECT_EQ(payload, Bytes({'u', 'm'}));

  RecordKey sealer = recordKey(keys.serverToClient);
  Bytes reply;
  ASSERT_TRUE(sealRecord(sealer, 4, asBytes("ok"), reply));
  ASSERT_TRUE(sendExactly(host_, reply));
  RecordHeader header;
  ASSERT_TRUE(receiveRecord(viewer_, header, payload));
  EXPECT_EQ(header.type, 4);
}

TEST_F(HandshakeTest, HostSealsFirstRecordWithServerKeyAtCounterZero) {
  KeyPairSigner signer(identity_);
  bool hostOk = false;
  std::jthread host([&] { hostOk = hostHandshake(host_, signer); });
  const EphemeralKey own = ecdhGenerate();
  ASSERT_TRUE(sendExactly(viewer_, buildClientHello(ClientHello{own.publicKey()})));
  std::array<uint8_t, kServerHelloSize> reply{};
  ASSERT_TRUE(receiveExactly(viewer_, reply));
  host.join();
  ASSERT_TRUE(hostOk);
  const auto hello = parseServerHello(reply);
  ASSERT_TRUE(hello);
  SharedSecret z{};
  ASSERT_TRUE(ecdhAgree(own, hello->hostEphemeral, z));
  const SessionHash h = handshakeHash(own.publicKey(), hello->hostEphemeral, hello->hostIdentity);
  EXPECT_EQ(host_.sessionHash(), h);
  const ExpectedKeys keys = expectedKeys(z, h);

  ASSERT_TRUE(sendRecord(host_, 3, asBytes("tres")));
  const Bytes wire = readWireRecord(viewer_);
  Bytes payload;
  EXPECT_FALSE(opensAtCounterZero(wire, keys.clientToServer, payload));
  ASSERT_TRUE(opensAtCounterZero(wire, keys.serverToClient, payload));
  EXPECT_EQ(payload, Bytes({'t', 'r', 'e', 's'}));
}

TEST(HandshakeMessagesTest, HellosRoundTripAndRejectForeignBytes) {
  ServerHello server;
  server.hostEphemeral.fill(1);
  server.hostIdentity.fill(2);
  server.signature.fill(3);
  const auto bytes = buildServerHello(server);
  EXPECT_EQ(std::memcmp(bytes.data(), "PXSS\x02", 5), 0);
  const auto parsed = parseServerHello(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->hostIdentity, server.hostIdentity);
  EXPECT_EQ(parsed->signature, server.signature);
  EXPECT_FALSE(parseServerHello(ByteView(bytes).first(196)));
  EXPECT_FALSE(parseClientHello(bytes));

  const auto client = buildClientHello(ClientHello{server.hostEphemeral});
  EXPECT_EQ(std::memcmp(client.data(), "PXSC\x02", 5), 0);
  ASSERT_TRUE(parseClientHello(client));
  EXPECT_FALSE(parseServerHello(client));
}

TEST(DeriveChannelKeysTest, InstallsOppositeKeysAndHash) {
  SharedSecret z;
  z.fill(9);
  SessionHash h;
  h.fill(4);
  SecureChannel viewer, host;
  ASSERT_TRUE(deriveChannelKeys(viewer, z, h, HandshakeSide::kViewer));
  ASSERT_TRUE(deriveChannelKeys(host, z, h, HandshakeSide::kHost));
  EXPECT_TRUE(viewer.hasKeys());
  EXPECT_EQ(viewer.sessionHash(), h);
  EXPECT_EQ(host.sessionHash(), h);
}

}  // namespace
}  // namespace px
