// A host and a viewer in one process, meeting through a running relay: the host registers and
// gets its ID, the viewer logs in with an account, asks for a tunnel to that ID, both run the
// end-to-end handshake through the relay and exchange records, and the viewer logs out.
// The relay's address and key come from relay.cfg beside this executable.
//   parvolex-relay-demo LOGIN PASSWORD
// Exit status 0 when everything went as expected.
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <unistd.h>

#include "base/data_folder.h"
#include "base/log.h"
#include "net/channel_handshake.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "relay/registration_loop.h"
#include "relay/relay_config.h"
#include "relay/sealed_request.h"

namespace {

using namespace px;

// Hands the joined connection from the registration thread to the demo's host side.
class DemoEvents : public RegistrationEvents {
 public:
  void relayStatusChanged() override {
    std::lock_guard guard(lock_);
    changed_.notify_all();
  }
  void viewerArrived(std::unique_ptr<SecureChannel> channel) override {
    std::lock_guard guard(lock_);
    arrived_ = std::move(channel);
    changed_.notify_all();
  }
  std::string waitForId() {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, std::chrono::seconds(15),
                      [] { return registrationState().status() == RelayStatus::kRegistered; });
    return registrationState().currentId();
  }
  std::unique_ptr<SecureChannel> waitForViewer() {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, std::chrono::seconds(15), [&] { return arrived_ != nullptr; });
    return std::move(arrived_);
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::unique_ptr<SecureChannel> arrived_;
};

bool hostSide(SecureChannel& channel) {
  setReceiveTimeout(channel, 15000);
  if (!hostHandshake(channel)) return false;
  logPrintf("[HOST] Handshake concluido pelo tunel\n");
  RecordHeader header;
  Bytes payload;
  if (!receiveRecord(channel, header, payload)) return false;
  logPrintf("[HOST] Recebido: \"%.*s\"\n", int(payload.size()), reinterpret_cast<const char*>(payload.data()));
  return sendRecord(channel, 2, asBytes("ola do host, pelo relay"));
}

bool viewerSide(const std::string& id) {
  SecureChannel channel;
  PublicKey64 relayGave;
  TunnelFailure failure;
  if (!requestTunnel(id, channel, relayGave, failure)) {
    logPrintf("[VIEWER] Tunel recusado: %s\n", failure.error.c_str());
    return false;
  }
  setReceiveTimeout(channel, 15000);
  PublicKey64 proven;
  if (!viewerHandshake(channel, proven) || proven != relayGave) {
    logPrintf("[VIEWER] Handshake falhou ou a chave do host nao confere\n");
    return false;
  }
  logPrintf("[VIEWER] Handshake concluido; chave do host confere com a do relay\n");
  RecordHeader header;
  Bytes payload;
  if (!sendRecord(channel, 1, asBytes("ola do viewer, pelo relay")) || !receiveRecord(channel, header, payload)) {
    return false;
  }
  logPrintf("[VIEWER] Recebido: \"%.*s\"\n", int(payload.size()), reinterpret_cast<const char*>(payload.data()));
  return true;
}

int run(const std::string& login, const std::string& password) {
  // The host's identity key lives in a scratch data folder, removed at the end.
  const auto data = std::filesystem::temp_directory_path() / ("parvolex-relay-demo-" + std::to_string(::getpid()));
  setDataFolderOverride(data);
  if (!loadRelayConfig()) logPrintf("[Parvolex] relay.cfg ausente; usando o relay embutido\n");
  const RelayConfig& config = relayConfig();
  logPrintf("[Parvolex] Relay %s:%u, chave %s\n", config.primaryHost.c_str(), config.port,
            config.pinnedKeyPresent ? "fixada" : "ausente");

  std::atomic<bool> running{true};
  DemoEvents events;
  RegistrationContext context;
  context.running = &running;
  context.events = &events;
  std::thread registration([&] { registrationLoop(context); });

  bool ok = false;
  const std::string id = events.waitForId();
  if (!id.empty()) {
    auto result = performLogin(login, password, 0);
    if (result->accepted) {
      {
        std::lock_guard guard(accountState().lock);
        accountState().session = {result->token, result->expiry, result->loginName, result->displayName};
      }
      logPrintf("[LOGIN] Conectado como %s\n", result->displayName.c_str());
      bool hostOk = false;
      std::thread host([&] {
        auto channel = events.waitForViewer();
        hostOk = channel && hostSide(*channel);
      });
      const bool viewerOk = viewerSide(id);
      host.join();
      ok = viewerOk && hostOk;
      logoutWorker(result->token);
      logPrintf("[LOGIN] Sessao encerrada no relay\n");
    }
  }
  running = false;
  registrationState().interruptWait();
  registration.join();
  std::error_code ignored;
  std::filesystem::remove_all(data, ignored);
  logPrintf("[Parvolex] Demo do relay: %s\n", ok ? "OK" : "FALHOU");
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Uso: %s LOGIN SENHA\n", argv[0]);
    return 2;
  }
  return run(argv[1], argv[2]);
}
