#include "protocol/relay_protocol.h"

#include <gtest/gtest.h>

#include "relay/fake_relay.h"

namespace px {
namespace {

PublicKey64 filledKey(uint8_t value) {
  PublicKey64 key;
  key.fill(value);
  return key;
}

TEST(RelayProtocolTest, RegistrationMessagesRoundTripAndRejectForeignBytes) {
  RegistrationHello hello{filledKey(1), {}};
  hello.hostNonce.fill(2);
  auto bytes = buildRegistrationHello(hello);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "PXR3");
  EXPECT_EQ(bytes[4], 17);
  auto parsed = parseRegistrationHello(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->identity, hello.identity);
  EXPECT_EQ(parsed->hostNonce, hello.hostNonce);

  bytes[4] = 49;
  EXPECT_FALSE(parseRegistrationHello(bytes));
  EXPECT_FALSE(parseRegistrationHello(ByteView(bytes.data(), 100)));

  RegistrationConfirmation confirmation{"123456789", {}};
  confirmation.signature.fill(9);
  auto confirmationBytes = buildConfirmation(confirmation);
  ASSERT_TRUE(confirmationBytes);
  auto back = parseConfirmation(*confirmationBytes);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->id, "123456789");
  EXPECT_EQ(back->signature, confirmation.signature);
  EXPECT_FALSE(buildConfirmation({"12345678", {}}));
}

TEST(RelayProtocolTest, ComputerIdIsExactlyNineDigits) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {{"123456789", true}, {"000000000", true}, {"12345678a", false},
               {"12345678", false}, {"1234567890", false}, {"123 45678", false}};
  for (const auto& c : cases) EXPECT_EQ(isComputerId(c.text), c.valid) << c.text;
}

TEST(RelayProtocolTest, RegistrationHashesBindEveryInput) {
  Nonce32 hostNonce{}, relayNonce{};
  relayNonce[0] = 1;
  const Digest32 reg = registrationHash(filledKey(1), filledKey(2), hostNonce, relayNonce);
  EXPECT_NE(reg, registrationHash(filledKey(2), filledKey(1), hostNonce, relayNonce));
  EXPECT_NE(reg, registrationHash(filledKey(1), filledKey(2), relayNonce, hostNonce));
  EXPECT_EQ(registrationOkHash(filledKey(1), hostNonce, "123456789"),
            sha256({asBytes("parvolex-relay-regok-v3"), filledKey(1), hostNonce,
                    asBytes("123456789")}));
  EXPECT_NE(registrationOkHash(filledKey(1), hostNonce, "123456789"),
            registrationOkHash(filledKey(1), hostNonce, "123456788"));
}

TEST(RelayProtocolTest, RefusalAndAccountTexts) {
  EXPECT_STREQ(refusalText(5), "ID nao encontrado ou computador offline");
  EXPECT_STREQ(refusalText(7), "Muitas tentativas. Aguarde alguns minutos.");
  EXPECT_STREQ(refusalText(8), "O relay recusou a conexao");
  EXPECT_STREQ(refusalText(18), "Erro: resposta invalida do relay");
  EXPECT_STREQ(accountStatusText(4),
               "Conta bloqueada por senhas erradas. Tente de novo em alguns minutos.");
  EXPECT_STREQ(accountStatusText(6), "Seu login venceu. Entre de novo.");
  EXPECT_STREQ(accountStatusText(0), "Erro: resposta invalida do relay");
  EXPECT_STREQ(accountStatusText(9), "Erro: resposta invalida do relay");
}

// The viewer derives from (ephemeral, relay public key); the relay from (its key, the viewer's
// ephemeral public key). Both must reach the same key and the HKDF of RFC 5869.
TEST(RelayProtocolTest, BothEndsDeriveTheSameSealedKey) {
  PX_SKIP_WITHOUT_AGREEMENT();
  P256KeyPair relay = P256KeyPair::generate();
  EphemeralKey ephemeral = ecdhGenerate();
  ASSERT_TRUE(relay.valid() && ephemeral.valid());
  Nonce32 nonce;
  nonce.fill(0x42);

  SharedSecret viewerZ, relayZ;
  ASSERT_TRUE(ecdhAgree(ephemeral, relay.publicKey(), viewerZ));
  ASSERT_TRUE(relay.agree(ephemeral.publicKey(), relayZ));
  RecordKey viewerKey, relayKey;
  ASSERT_TRUE(deriveSealedKey(viewerZ, nonce, relay.publicKey(), ephemeral.publicKey(), viewerKey));
  ASSERT_TRUE(deriveSealedKey(relayZ, nonce, relay.publicKey(), ephemeral.publicKey(), relayKey));

  // Independent HKDF: extract with the nonce over big-endian Z, one expand block.
  SharedSecret bigEndian;
  std::reverse_copy(viewerZ.begin(), viewerZ.end(), bigEndian.begin());
  Digest32 prk, k;
  ASSERT_TRUE(hmacSha256(nonce, {bigEndian}, prk));
  const uint8_t one = 1;
  ASSERT_TRUE(hmacSha256(prk, {asBytes("parvolex-relay-v4"), relay.publicKey(),
                               ephemeral.publicKey(), ByteView(&one, 1)}, k));
  RecordKey expected;
  AesKey32 aes;
  std::copy(k.begin(), k.end(), aes.begin());
  ASSERT_TRUE(RecordKey::create(aes, expected));

  const auto aad = sealedAad(SealedType::kTunnel, nonce);
  EXPECT_EQ(aad.size(), 37u);
  Bytes sealed, opened, openedExpected;
  ASSERT_TRUE(gcmSeal(viewerKey, aad, asBytes("request"), sealed));
  ASSERT_TRUE(gcmOpen(relayKey, aad, sealed, opened));
  EXPECT_EQ(opened, Bytes(asBytes("request").begin(), asBytes("request").end()));
  ASSERT_TRUE(gcmOpen(expected, aad, sealed, openedExpected));
  // The reply uses counter 1 on both sides.
  ASSERT_TRUE(gcmSeal(relayKey, aad, asBytes("reply"), sealed));
  ASSERT_TRUE(gcmOpen(viewerKey, aad, sealed, opened));
}

TEST(RelayProtocolTest, TunnelRequestOfNineDigitsIs41BytesAndSealedIs57) {
  TunnelRequest request;
  request.token.fill(3);
  request.id = "123456789";
  const Bytes plain = buildTunnelRequest(request);
  EXPECT_EQ(plain.size(), 41u);
  const Bytes message = buildSealedRequest(filledKey(5), Bytes(plain.size() + kGcmTagSize));
  auto header = parseSealedRequestHeader(ByteView(message.data(), kSealedRequestHeaderSize));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->sealedLength, 57);
  EXPECT_EQ(message.size(), 66u + 57u);
  auto back = parseTunnelRequest(plain);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->id, "123456789");
  EXPECT_FALSE(parseTunnelRequest(Bytes(31)));
}

TEST(RelayProtocolTest, LoginFieldsAreCutTo255Bytes) {
  LoginRequest request{std::string(300, 'a'), std::string(256, 'b'), 1, "user @ pc"};
  const Bytes bytes = buildLoginRequest(request);
  EXPECT_EQ(bytes[0], 255);
  EXPECT_EQ(bytes[256], 255);
  EXPECT_EQ(bytes.size(), 1 + 255 + 1 + 255 + 1 + 1 + 9u);
  auto parsed = parseLoginRequest(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->login, std::string(255, 'a'));
  EXPECT_EQ(parsed->remember, 1);
  EXPECT_EQ(parsed->deviceLabel, "user @ pc");
  Bytes longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(parseLoginRequest(longer));
  EXPECT_FALSE(parseLoginRequest(ByteView(bytes.data(), bytes.size() - 1)));
}

TEST(RelayProtocolTest, LoginReplyMustBeExactly38PlusNameLength) {
  LoginReply reply;
  reply.token.fill(7);
  reply.lifetimeSeconds = 7200;
  reply.displayName = "Maria";
  Bytes bytes = buildLoginReply(reply);
  ASSERT_EQ(bytes.size(), 43u);
  auto parsed = parseLoginReply(bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->lifetimeSeconds, 7200u);
  EXPECT_EQ(parsed->displayName, "Maria");
  bytes.push_back(0);
  EXPECT_FALSE(parseLoginReply(bytes));
  EXPECT_FALSE(parseLoginReply(ByteView(bytes.data(), 37)));
  EXPECT_FALSE(parseLoginReply({}));
  const uint8_t locked[] = {4};
  auto refusal = parseLoginReply(locked);
  ASSERT_TRUE(refusal);
  EXPECT_EQ(refusal->status, 4);
}

}  // namespace
}  // namespace px
