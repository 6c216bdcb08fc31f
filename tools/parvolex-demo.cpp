// Both ends of a secure channel in one process, over loopback TCP: a host thread and a viewer
// run the handshake, exchange a few records each way, and the host refuses a forged record.
// The host's identity key lives in a temporary data folder that is removed at the end.
// Exit status 0 when everything went as expected.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "base/data_folder.h"
#include "base/log.h"
#include "crypto/identity_key.h"
#include "net/channel_handshake.h"
#include "net/record_layer.h"

namespace {

using namespace px;

constexpr int kRecordsEachWay = 3;
constexpr uint8_t kDemoText = 0x01;
constexpr uint8_t kDemoReply = 0x02;

std::string shortHex(ByteView bytes) { return toHex(bytes); }

std::string payloadFor(int i) {
  return "mensagem " + std::to_string(i + 1) + std::string(size_t(100) << (4 * i), '.');
}

void logReceived(const char* side, const SecureChannel& channel, const RecordHeader& header,
                 const Bytes& payload) {
  logPrintf("[%s] recebido: tipo 0x%02x, versao %u, %zu bytes de carga, L = %zu, contador %llu\n",
            side, header.type, header.version, payload.size(),
            payload.size() + size_t(kMinSealedRecordLength),
            static_cast<unsigned long long>(channel.receiveCounter() - 1));
}

bool sendLogged(const char* side, SecureChannel& channel, uint8_t type, const std::string& text) {
  logPrintf("[%s] enviando: tipo 0x%02x, %zu bytes de carga, %zu bytes na rede, contador %llu\n",
            side, type, text.size(), sealedWireSize(text.size()),
            static_cast<unsigned long long>(channel.sendCounter()));
  return sendRecord(channel, type, asBytes(text));
}

bool runHost(NativeSocket listener) {
  SecureChannel channel(tcpAccept(listener));
  socketShutdownAndClose(listener);
  if (!channel.isOpen()) return false;
  setReceiveTimeout(channel, 15000);
  if (!hostHandshake(channel)) {
    logPrintf("[HOST] Handshake seguro falhou\n");
    return false;
  }
  logPrintf("[HOST] handshake concluido; hash da sessao %s\n",
            shortHex(channel.sessionHash()).c_str());
  for (int i = 0; i < kRecordsEachWay; ++i) {
    RecordHeader header;
    Bytes payload;
    if (!receiveRecord(channel, header, payload)) return false;
    logReceived("HOST", channel, header, payload);
    if (!sendLogged("HOST", channel, kDemoReply, "resposta " + std::to_string(i + 1)))
      return false;
  }
  RecordHeader header;
  Bytes payload;
  const bool forgedAccepted = receiveRecord(channel, header, payload);
  logPrintf("[HOST] registro forjado %s; conexao encerrada\n",
            forgedAccepted ? "ACEITO (erro)" : "recusado");
  closeChannel(channel);
  return !forgedAccepted;
}

bool runViewer(uint16_t port, const PublicKey64& expectedIdentity) {
  SecureChannel channel;
  if (!connectTcp(channel, "127.0.0.1", port)) return false;
  setReceiveTimeout(channel, 15000);
  setKeepAlive(channel, 15000, 5000);
  PublicKey64 proven{};
  if (!viewerHandshake(channel, proven)) {
    logPrintf("[VIEWER] Erro: falha na conexao segura\n");
    return false;
  }
  // The relay would have named this key for the ID; here the expected key is known locally.
  if (!constantTimeEqual(proven, expectedIdentity)) {
    logPrintf("[VIEWER] Erro: identidade do computador remoto nao confere\n");
    return false;
  }
  logPrintf("[VIEWER] handshake concluido; identidade do host confere; hash da sessao %s\n",
            shortHex(channel.sessionHash()).c_str());
  for (int i = 0; i < kRecordsEachWay; ++i) {
    if (!sendLogged("VIEWER", channel, kDemoText, payloadFor(i))) return false;
    RecordHeader header;
    Bytes payload;
    if (!receiveRecord(channel, header, payload)) return false;
    logReceived("VIEWER", channel, header, payload);
  }
  // A record nobody sealed: a plausible length followed by bytes without a valid tag.
  Bytes forged(4 + 40, 0xa5);
  storeLe32(forged.data(), 40);
  logPrintf("[VIEWER] enviando um registro forjado (L = 40, sem etiqueta valida)\n");
  const bool sent = sendExactly(channel, forged);
  RecordHeader header;
  Bytes payload;
  const bool closedByHost = !receiveRecord(channel, header, payload);
  return sent && closedByHost;
}

}  // namespace

int main() {
  char folderTemplate[] = "/tmp/parvolex-demo-XXXXXX";
  if (!::mkdtemp(folderTemplate)) return 1;
  const std::filesystem::path folder = folderTemplate;
  setDataFolderOverride(folder);
  logPrintf("[Parvolex] pasta de dados temporaria: %s\n", folder.c_str());

  PublicKey64 identity{};
  bool ok = identityPublicKey(identity);
  if (ok) logPrintf("[HOST] chave de identidade: %s\n", shortHex(identity).c_str());

  uint16_t port = 0;
  const NativeSocket listener = ok ? tcpListenLoopback(port) : kInvalidSocket;
  ok = ok && listener != kInvalidSocket;
  if (ok) {
    logPrintf("[HOST] aguardando em 127.0.0.1:%u\n", unsigned(port));
    bool hostOk = false;
    std::thread host([&] { hostOk = runHost(listener); });
    const bool viewerOk = runViewer(port, identity);
    host.join();
    ok = hostOk && viewerOk;
  }
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  logPrintf("[Parvolex] demonstracao %s\n", ok ? "concluida com sucesso" : "FALHOU");
  return ok ? 0 : 1;
}
