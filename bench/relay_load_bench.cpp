// The relay server process under attack while legitimate clients use it: 10,000 idle registered
// hosts (100 per source, as offices behind NAT), one source holding as many silent connections
// as it may, another connecting as fast as it can. Measures how long legitimate registrations and
// logins take (median and p99, each from a source of its own) and the relay's resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "relay/relay_config.h"
#include "support/relay_process_posix.h"
#include "support/relay_raw_client_posix.h"

namespace px {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kHostSources = 100, kHostsPerSource = 100;
constexpr int kSamples = 200;
constexpr size_t kSilentPerSource = 64;  // the relay's default opening cap per source

double percentile(std::vector<double> values, double p) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[std::min(values.size() - 1, size_t(p * double(values.size())))];
}

double residentMib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return 0;
}

std::string source(int network, int index) {
  return "127." + std::to_string(network) + "." + std::to_string(index / 250) + "." + std::to_string(index % 250 + 1);
}

// One source keeps its full share of silent connections open, replacing those the relay closes.
void holdSilent(uint16_t port, const std::atomic<bool>& stop) {
  std::vector<int> held;
  while (!stop) {
    std::erase_if(held, [](int s) {
      uint8_t byte;
      const ssize_t n = recv(s, &byte, 1, MSG_DONTWAIT);
      if (n == 0 || (n < 0 && errno != EAGAIN)) return close(s), true;
      return false;
    });
    while (held.size() < kSilentPerSource && !stop) {
      const int s = test::connectFrom("127.20.0.1", "127.0.0.1", port, 1000);
      if (s < 0) break;
      held.push_back(s);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  for (int s : held) close(s);
}

// Another source opens connections as fast as it can and asks for a login each time.
void flood(uint16_t port, const std::atomic<bool>& stop, std::atomic<long>& made) {
  const auto opening = buildSealedOpening(SealedType::kLogin);
  while (!stop) {
    const int s = test::connectFrom("127.21.0.1", "127.0.0.1", port, 1000);
    if (s < 0) continue;
    uint8_t status = 0;
    if (send(s, opening.data(), opening.size(), MSG_NOSIGNAL) == 5) (void)recv(s, &status, 1, 0);
    close(s);
    ++made;
  }
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BM_RelayUnderAttack(benchmark::State& state) {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  const auto dir = std::filesystem::temp_directory_path() / ("px-relay-load-" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  const PublicKey64 relayKey = [&] {
    PublicKey64 key{};
    parseRelayKeyHex(test::runRelayCommand({"key", "--data", dir.string()}).output.substr(0, 128), key);
    return key;
  }();
  // The default PBKDF2 cost, as a real account has.
  test::runRelayCommand({"account", "add", "bench", "--display-name", "Bench", "--data", dir.string()}, "senha\n");
  auto relay = std::make_unique<test::RelayProcess>(dir, std::vector<std::string>{"--new-ids-per-day", "0"});
  if (relay->port() == 0) return state.SkipWithError("relay did not start");
  const uint16_t port = relay->port();

  std::vector<int> hosts;
  for (int s = 0; s < kHostSources; ++s) {
    for (int h = 0; h < kHostsPerSource; ++h) {
      auto r = test::registerFrom(source(30, s), "127.0.0.1", port, P256KeyPair::generate());
      if (r.socket >= 0) hosts.push_back(r.socket);
    }
  }
  std::atomic<bool> stop{false};
  std::atomic<long> flooded{0};
  std::thread silent(holdSilent, port, std::cref(stop));
  std::thread flooder(flood, port, std::cref(stop), std::ref(flooded));
  std::this_thread::sleep_for(std::chrono::seconds(1));

  std::vector<double> registrations, logins;
  int failures = 0;
  for (auto _ : state) {
    for (int i = 0; i < kSamples; ++i) {
      auto start = Clock::now();
      auto r = test::registerFrom(source(40, i), "127.0.0.1", port, P256KeyPair::generate());
      registrations.push_back(millisecondsSince(start));
      failures += r.status != kStatusRegistered;
      if (r.socket >= 0) close(r.socket);
      start = Clock::now();
      failures += test::loginFrom(source(50, i), "127.0.0.1", port, relayKey, "bench", "senha") != kAccountOk;
      logins.push_back(millisecondsSince(start));
    }
  }
  state.counters["registered_hosts"] = double(hosts.size());
  state.counters["reg_p50_ms"] = percentile(registrations, 0.5);
  state.counters["reg_p99_ms"] = percentile(registrations, 0.99);
  state.counters["login_p50_ms"] = percentile(logins, 0.5);
  state.counters["login_p99_ms"] = percentile(logins, 0.99);
  state.counters["relay_rss_mib"] = residentMib(relay->pid());
  state.counters["legit_failures"] = failures;
  state.counters["flood_connections"] = double(flooded.load());
  stop = true;
  silent.join();
  flooder.join();
  for (int s : hosts) close(s);
  relay.reset();
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_RelayUnderAttack)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace px
