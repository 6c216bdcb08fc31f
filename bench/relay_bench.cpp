// The relay server process (parvolex-relay, started from the build tree) under load:
//   - bytes per second through one tunnel beside a direct loopback TCP connection, same run;
//   - memory of the server per idle registered host, and registrations per second.
#include <benchmark/benchmark.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "net/tcp_socket.h"
#include "protocol/relay_protocol.h"
#include "relay/login_state.h"
#include "relay/login_worker.h"
#include "relay/relay_config.h"
#include "relay/sealed_request.h"
#include "support/relay_process_posix.h"

namespace px {
namespace {

constexpr size_t kChunk = 64 * 1024;
constexpr size_t kTransfer = 32u << 20;  // per measured pass
constexpr int kIdleHosts = 10000;

class BenchRelay {
 public:
  BenchRelay() {
    dir_ = std::filesystem::temp_directory_path() / ("px-relay-bench-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    const std::string data = dir_.string();
    keyHex_ = test::runRelayCommand({"key", "--data", data}).output.substr(0, 128);
    test::runRelayCommand({"account", "add", "bench", "--display-name", "Bench", "--data", data,
                           "--iterations", "1000"},
                          "senha\n");
    relay_ = std::make_unique<test::RelayProcess>(
        dir_, std::vector<std::string>{"--connections-per-minute", "0", "--tunnels-per-minute", "0",
                                       "--max-connections", "30000", "--opening-per-source", "0",
                                       "--hosts-per-source", "0", "--new-ids-per-day", "0"});
    RelayConfig config;
    config.primaryHost = "127.0.0.1";
    config.port = relay_->port();
    config.pinnedKeyPresent = parseRelayKeyHex(keyHex_, config.pinnedKey);
    setRelayConfig(config);
  }
  ~BenchRelay() {
    relay_.reset();
    std::filesystem::remove_all(dir_);
  }
  bool ok() const { return relay_ && relay_->port() != 0; }
  pid_t pid() const { return relay_->pid(); }
  uint16_t port() const { return relay_->port(); }

 private:
  std::filesystem::path dir_;
  std::string keyHex_;
  std::unique_ptr<test::RelayProcess> relay_;
};

// Registers `key` on a fresh connection and returns it, or an invalid socket.
NativeSocket registerRaw(uint16_t port, const P256KeyPair& key, std::string* id = nullptr) {
  NativeSocket socket = tcpConnectIpv4("127.0.0.1", port);
  if (socket == kInvalidSocket) return socket;
  RegistrationHello hello{key.publicKey(), {}};
  randomBytes(hello.hostNonce);
  uint8_t answer[1 + kRelayChallengeSize];
  uint8_t confirmation[1 + kConfirmationSize];
  Signature64 proof;
  bool ok = socketSendAll(socket, buildRegistrationHello(hello)) && socketReceiveAll(socket, answer) &&
            answer[0] == kStatusChallenge;
  if (ok) {
    const auto challenge = parseRelayChallenge(ByteView(answer + 1, kRelayChallengeSize));
    ok = key.sign(registrationHash(challenge->relayKey, hello.identity, hello.hostNonce, challenge->relayNonce),
                  proof) &&
         socketSendAll(socket, proof) && socketReceiveAll(socket, confirmation) &&
         confirmation[0] == kStatusRegistered;
  }
  if (!ok) {
    socketShutdownAndClose(socket);
    return kInvalidSocket;
  }
  if (id) id->assign(reinterpret_cast<const char*>(confirmation + 1), kComputerIdLength);
  return socket;
}

// Sends `bytes` from `from` while another thread drains them at `to`; seconds taken.
double transfer(NativeSocket from, NativeSocket to, size_t bytes) {
  std::vector<uint8_t> out(kChunk, 0x5a);
  const auto start = std::chrono::steady_clock::now();
  std::thread reader([&] {
    std::vector<uint8_t> in(kChunk);
    for (size_t got = 0; got < bytes;) {
      const ssize_t n = recv(int(to), in.data(), in.size(), 0);
      if (n <= 0) return;
      got += size_t(n);
    }
  });
  for (size_t sent = 0; sent < bytes; sent += kChunk) {
    if (!socketSendAll(from, ByteView(out.data(), std::min(kChunk, bytes - sent)))) break;
  }
  reader.join();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double cpuSeconds(pid_t pid);

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void BM_TunnelVersusDirectLoopback(benchmark::State& state) {
  BenchRelay relay;
  if (!relay.ok()) return state.SkipWithError("relay did not start");
  auto login = performLogin("bench", "senha", 0);
  if (!login->accepted) return state.SkipWithError("login failed");
  {
    std::lock_guard guard(accountState().lock);
    accountState().session = {login->token, login->expiry, "bench", "Bench"};
  }
  const P256KeyPair hostKey = P256KeyPair::generate();
  std::string id;
  NativeSocket host = registerRaw(relay.port(), hostKey, &id);
  SecureChannel viewer;
  PublicKey64 key;
  TunnelFailure failure;
  uint8_t notice = 0;
  if (host == kInvalidSocket || !requestTunnel(id, viewer, key, failure) ||
      !socketReceiveAll(host, MutableByteView(&notice, 1)) || notice != kViewerJoinedNotice) {
    return state.SkipWithError("tunnel failed");
  }

  uint16_t directPort = 0;
  NativeSocket listener = tcpListenLoopback(directPort);
  NativeSocket directClient = tcpConnectIpv4("127.0.0.1", directPort);
  NativeSocket directServer = tcpAccept(listener);

  // This machine's loopback speed swings by half from one pass to the next, so the passes
  // alternate and the medians are compared rather than the totals.
  std::vector<double> directPasses, tunnelPasses;
  // CPU of both ends (this process) and of the relay: with every core busy, the ratio cannot
  // exceed direct CPU over tunnel CPU, whatever the relay does.
  double relayCpu = 0, directCpu = 0, tunnelEndsCpu = 0;
  for (auto _ : state) {
    double before = cpuSeconds(getpid());
    directPasses.push_back(transfer(directClient, directServer, kTransfer));
    directCpu += cpuSeconds(getpid()) - before;
    const double relayBefore = cpuSeconds(relay.pid());
    before = cpuSeconds(getpid());
    tunnelPasses.push_back(transfer(viewer.socket(), host, kTransfer));
    tunnelEndsCpu += cpuSeconds(getpid()) - before;
    relayCpu += cpuSeconds(relay.pid()) - relayBefore;
  }
  const double directSeconds = median(directPasses), tunnelSeconds = median(tunnelPasses);
  const double total = double(kTransfer) * double(state.iterations());
  state.counters["direct_MiBps"] = double(kTransfer) / directSeconds / (1 << 20);
  state.counters["tunnel_MiBps"] = double(kTransfer) / tunnelSeconds / (1 << 20);
  state.counters["tunnel_vs_direct_pct"] = 100.0 * directSeconds / tunnelSeconds;
  state.counters["relay_cpu_s_per_GiB"] = relayCpu / (total / double(1u << 30));
  state.counters["cpu_bound_ceiling_pct"] = 100.0 * directCpu / (tunnelEndsCpu + relayCpu);
  socketShutdownAndClose(directClient);
  socketShutdownAndClose(directServer);
  socketShutdownAndClose(listener);
  socketShutdownAndClose(host);
  clearLoginState(accountState());
}
BENCHMARK(BM_TunnelVersusDirectLoopback)->Iterations(31)->Unit(benchmark::kMillisecond)->UseRealTime();

// User plus system CPU seconds the process has used so far.
double cpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 0; i < 11; ++i) fields >> skip;  // fields 3..13
  double user = 0, system = 0;
  fields >> user >> system;
  return (user + system) / double(sysconf(_SC_CLK_TCK));
}

long residentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

void BM_IdleRegisteredHosts(benchmark::State& state) {
  BenchRelay relay;
  if (!relay.ok()) return state.SkipWithError("relay did not start");
  std::vector<P256KeyPair> keys;
  keys.reserve(kIdleHosts);
  for (int i = 0; i < kIdleHosts; ++i) keys.push_back(P256KeyPair::generate());
  std::vector<NativeSocket> sockets(kIdleHosts, kInvalidSocket);
  // A warm-up registration so the server's one-time allocations are in the baseline.
  NativeSocket warm = registerRaw(relay.port(), P256KeyPair::generate());
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  const long before = residentKiB(relay.pid());

  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    constexpr int kThreads = 4;
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
      workers.emplace_back([&, t] {
        for (int i = t; i < kIdleHosts; i += kThreads) sockets[size_t(i)] = registerRaw(relay.port(), keys[size_t(i)]);
      });
    }
    for (auto& w : workers) w.join();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const long after = residentKiB(relay.pid());
  const auto registered = std::count_if(sockets.begin(), sockets.end(), [](NativeSocket s) { return s != kInvalidSocket; });
  state.counters["hosts"] = double(registered);
  state.counters["registrations_per_s"] = double(registered) / seconds;
  state.counters["server_rss_KiB_before"] = double(before);
  state.counters["server_rss_KiB_after"] = double(after);
  state.counters["KiB_per_host"] = registered ? double(after - before) / double(registered) : 0;
  for (NativeSocket s : sockets) {
    if (s != kInvalidSocket) socketShutdownAndClose(s);
  }
  socketShutdownAndClose(warm);
}
BENCHMARK(BM_IdleRegisteredHosts)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace px
