#include "support/relay_raw_client_posix.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "net/tcp_socket.h"

namespace px::test {
namespace {

bool sendBytes(int socket, ByteView data) { return socketSendAll(socket, data); }
bool receiveBytes(int socket, MutableByteView data) { return socketReceiveAll(socket, data); }

bool receiveStatus(int socket, uint8_t& status) { return receiveBytes(socket, MutableByteView(&status, 1)); }

}  // namespace

int connectFrom(const std::string& source, const std::string& host, uint16_t port, int timeoutMs) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in local{}, remote{};
  local.sin_family = remote.sin_family = AF_INET;
  remote.sin_port = htons(port);
  const int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  timeval limit{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
  if (inet_pton(AF_INET, source.c_str(), &local.sin_addr) != 1 ||
      inet_pton(AF_INET, host.c_str(), &remote.sin_addr) != 1 ||
      bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
      connect(fd, reinterpret_cast<sockaddr*>(&remote), sizeof remote) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

RawRegistration registerFrom(const std::string& source, const std::string& host, uint16_t port,
                             const P256KeyPair& identity) {
  RawRegistration result;
  const int fd = connectFrom(source, host, port);
  if (fd < 0) return result;
  RegistrationHello hello{identity.publicKey(), {}};
  randomBytes(hello.hostNonce);
  std::array<uint8_t, kRelayChallengeSize> challengeBytes{};
  uint8_t status = 0;
  bool ok = sendBytes(fd, buildRegistrationHello(hello)) && receiveStatus(fd, status);
  if (ok && status == kStatusChallenge && receiveBytes(fd, challengeBytes)) {
    const auto challenge = parseRelayChallenge(challengeBytes);
    Signature64 proof{};
    ok = challenge &&
         identity.sign(registrationHash(challenge->relayKey, hello.identity, hello.hostNonce,
                                        challenge->relayNonce),
                       proof) &&
         sendBytes(fd, proof) && receiveStatus(fd, status);
    std::array<uint8_t, kConfirmationSize> confirmation{};
    if (ok && status == kStatusRegistered && receiveBytes(fd, confirmation)) {
      result.id.assign(confirmation.begin(), confirmation.begin() + kComputerIdLength);
      result.status = status;
      result.socket = fd;
      return result;
    }
  }
  result.status = ok && status != kStatusChallenge && status != kStatusRegistered ? status : 0;
  close(fd);
  return result;
}

RawSealed sealedFrom(const std::string& source, const std::string& host, uint16_t port,
                     const PublicKey64& relayKey, SealedType type, ByteView request) {
  RawSealed result;
  const int fd = connectFrom(source, host, port);
  if (fd < 0) return result;
  uint8_t status = 0;
  Nonce32 nonce{};
  EphemeralKey ephemeral = ecdhGenerate();
  SharedSecret z{};
  RecordKey key;
  Bytes sealed, reply;
  uint8_t length[2];
  const auto aad = [&] { return sealedAad(type, nonce); };
  bool ok = sendBytes(fd, buildSealedOpening(type)) && receiveStatus(fd, status) && status == kStatusNonce &&
            receiveBytes(fd, nonce) && ecdhAgree(ephemeral, relayKey, z) &&
            deriveSealedKey(z, nonce, relayKey, ephemeral.publicKey(), key) &&
            gcmSeal(key, aad(), request, sealed) &&
            sendBytes(fd, buildSealedRequest(ephemeral.publicKey(), sealed)) && receiveStatus(fd, status) &&
            status == kStatusSealedReply && receiveBytes(fd, length);
  if (ok) {
    reply.resize(size_t(length[0]) << 8 | length[1]);
    if (receiveBytes(fd, reply) && gcmOpen(key, aad(), reply, result.reply) && !result.reply.empty()) {
      result.answered = true;
      result.socket = fd;
      return result;
    }
  } else if (status != kStatusNonce && status != kStatusSealedReply) {
    result.refusal = status;
  }
  close(fd);
  return result;
}

int loginFrom(const std::string& source, const std::string& host, uint16_t port, const PublicKey64& relayKey,
              const std::string& login, const std::string& password, SessionToken* token) {
  const Bytes request = buildLoginRequest({login, password, 0, "teste @ pc"});
  RawSealed sealed = sealedFrom(source, host, port, relayKey, SealedType::kLogin, request);
  if (sealed.socket >= 0) close(sealed.socket);
  if (!sealed.answered) return sealed.refusal != 0 ? 100 + sealed.refusal : -1;
  const auto reply = parseLoginReply(sealed.reply);
  if (!reply) return -1;
  if (token) *token = reply->token;
  return reply->status;
}

}  // namespace px::test
