// parvolex-relay: the relay daemon and its operator commands.
#include <malloc.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "base/log.h"
#include "relayd/account_service.h"
#include "relayd/relay_key_file.h"
#include "relayd/relay_server.h"
#include "relayd/relay_store.h"
#include "relayd/socket_tuning.h"

namespace px::relayd {
namespace {

constexpr const char* kUsage =
    "Uso: parvolex-relay <comando> --data DIR [opcoes]\n"
    "Comandos:\n"
    "  serve --listen ADDR:PORT        executa o relay\n"
    "  account add LOGIN --display-name NOME [--expires AAAA-MM-DD]\n"
    "                                  cria uma conta (senha lida da entrada padrao)\n"
    "  account disable LOGIN           desativa uma conta e encerra suas sessoes\n"
    "  account list                    lista as contas\n"
    "  key                             mostra a chave publica do relay (128 hex)\n"
    "Use parvolex-relay <comando> --help para as opcoes de cada comando.\n";

constexpr const char* kServeHelp =
    "Uso: parvolex-relay serve --data DIR --listen ADDR:PORT [opcoes]\n"
    "Limites por endereco de origem (um endereco pode ser uma empresa inteira atras de NAT):\n"
    "  --opening-per-source N     conexoes abertas ao mesmo tempo ainda na troca inicial; as\n"
    "                             excedentes sao fechadas sem leitura (64; 0 = sem limite)\n"
    "  --hosts-per-source N       hosts registrados ao mesmo tempo; o excedente recebe o codigo 8\n"
    "                             (1000; 0 = sem limite)\n"
    "  --connections-per-minute N conexoes novas por minuto; as excedentes recebem o codigo 7 (120)\n"
    "  --new-ids-per-day N        chaves de identidade novas (IDs novos) por dia; o excedente\n"
    "                             recebe o codigo 7 (500)\n"
    "  --failed-logins N          senhas erradas a cada 15 min, contadas quando a tentativa\n"
    "                             comeca; depois: codigo 7 na abertura ou status 8 (20)\n"
    "  --tunnels-per-minute N     pedidos de tunel por minuto; vale tambem por conta (30)\n"
    "Logins (as mesmas regras para logins que existem e que nao existem):\n"
    "  --lock-after N             senhas erradas seguidas de um endereco bloqueiam o login so para\n"
    "                             esse endereco (5; 0 = nunca)\n"
    "  --lock-seconds N           duracao desse bloqueio (900)\n"
    "  --account-failures-per-hour N  senhas erradas por hora num login, somando todos os\n"
    "                             enderecos; acima disso o login fica bloqueado por ate 1 h para\n"
    "                             enderecos que nao entraram nele nos ultimos 30 dias (100; 0 = sem)\n"
    "  --session-seconds N        duracao de uma sessao (43200)\n"
    "  --remember-seconds N       duracao de uma sessao lembrada (2592000)\n"
    "  --account-threads N        threads para verificar senhas (2)\n"
    "Conexoes:\n"
    "  --step-timeout-ms N        prazo unico para toda a troca inicial de uma conexao, do aceite ate\n"
    "                             o registro, a resposta ou a uniao do tunel; nao e por passo (10000)\n"
    "  --max-connections N        conexoes simultaneas no total, reduzido ao limite de descritores\n"
    "                             menos uma reserva; hosts registrados ocupam ate 90% (20000)\n"
    "  --tunnels-per-account N    tuneis abertos ao mesmo tempo por conta; o excedente recebe o\n"
    "                             status 8 (0 = sem limite)\n"
    "  --dead-peer-seconds N      keep-alive: um host ou viewer que sumiu sem fechar a conexao cai\n"
    "                             depois de cerca de N s (60; 0 = desliga)\n"
    "IDs:\n"
    "  --forget-ids-after-seconds N  um ID sem registro por N s e apagado e pode um dia ser sorteado\n"
    "                             de novo (15552000 = 180 dias; 0 = nunca)\n"
    "  --sweep-seconds N          intervalo entre buscas por IDs sem uso (3600)\n"
    "Encerra de forma limpa com SIGTERM ou SIGINT.\n";

constexpr const char* kAccountAddHelp =
    "Uso: parvolex-relay account add LOGIN --display-name NOME --data DIR [--expires AAAA-MM-DD]\n"
    "     [--iterations N]\n"
    "A senha e lida da primeira linha da entrada padrao. A conta vale ate o fim do dia de\n"
    "--expires (UTC). --iterations muda o custo do hash PBKDF2 (210000).\n";
constexpr const char* kAccountDisableHelp =
    "Uso: parvolex-relay account disable LOGIN --data DIR\n";
constexpr const char* kAccountListHelp = "Uso: parvolex-relay account list --data DIR\n";
constexpr const char* kKeyHelp =
    "Uso: parvolex-relay key --data DIR\n"
    "Mostra a chave publica do relay (criada no primeiro uso) para relay.cfg ou PX_RELAY_KEY.\n";

struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;
  bool help = false;
};

bool parseArguments(int argc, char** argv, Arguments& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      out.help = true;
    } else if (arg.rfind("--", 0) == 0) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "Falta o valor de %s\n", arg.c_str());
        return false;
      }
      out.options[arg.substr(2)] = argv[++i];
    } else {
      out.positional.push_back(arg);
    }
  }
  return true;
}

bool unknownOptions(const Arguments& args, std::initializer_list<const char*> allowed) {
  for (const auto& [name, value] : args.options) {
    bool known = false;
    for (const char* a : allowed) known = known || name == a;
    if (!known) {
      std::fprintf(stderr, "Opcao desconhecida: --%s\n", name.c_str());
      return true;
    }
  }
  return false;
}

bool readNumber(const Arguments& args, const char* name, int64_t& value) {
  auto it = args.options.find(name);
  if (it == args.options.end()) return true;
  char* end = nullptr;
  const long long parsed = std::strtoll(it->second.c_str(), &end, 10);
  if (it->second.empty() || *end != '\0' || parsed < 0) {
    std::fprintf(stderr, "Valor invalido para --%s: %s\n", name, it->second.c_str());
    return false;
  }
  value = parsed;
  return true;
}

std::unique_ptr<RelayStore> openStore(const std::filesystem::path& dir) {
  std::error_code error;
  std::filesystem::create_directories(dir, error);
  std::filesystem::permissions(dir, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace, error);
  return RelayStore::open(dir / "relay.db");
}

// A write past the file size limit then fails with EFBIG, which the store reports, instead of
// killing the server; large freed buffers go straight back to the system.
void prepareProcess() {
  std::signal(SIGXFSZ, SIG_IGN);
  mallopt(M_MMAP_THRESHOLD, 64 * 1024);
}

// Lets the process hold as many sockets as the system allows it, and keeps the connection cap
// below that with a reserve.
void fitConnectionCap(ServerOptions& options) {
  const uint64_t limit = raiseDescriptorLimit();
  const size_t cap = connectionCapWithin(options.maxConnections, limit);
  if (cap < options.maxConnections) {
    logPrintf("[RELAY] Limite de conexoes reduzido para %zu (limite de descritores %llu)\n", cap,
              static_cast<unsigned long long>(limit));
    options.maxConnections = cap;
  }
}

struct NumberOption {
  const char* name;
  int64_t* value;
};

int serve(const Arguments& args, const std::filesystem::path& dir) {
  ServerOptions options;
  int64_t stepMs = options.stepTimeout.count(), maxConnections = int64_t(options.maxConnections),
          openingPerSource = int64_t(options.openingPerSource), hostsPerSource = int64_t(options.hostsPerSource),
          perMinute = options.connectionsPerMinute, newIds = options.newIdsPerDay,
          failed = options.failedLoginsPerWindow, tunnels = options.tunnelsPerMinute,
          lockAfter = options.accounts.lockAfter, accountFailures = options.accountFailuresPerHour,
          threads = options.accountThreads, tunnelsPerAccount = options.tunnelsPerAccount,
          deadPeer = options.deadPeerSeconds, sweep = options.sweepInterval.count();
  const NumberOption numbers[] = {
      {"step-timeout-ms", &stepMs},
      {"max-connections", &maxConnections},
      {"opening-per-source", &openingPerSource},
      {"hosts-per-source", &hostsPerSource},
      {"connections-per-minute", &perMinute},
      {"new-ids-per-day", &newIds},
      {"failed-logins", &failed},
      {"tunnels-per-minute", &tunnels},
      {"lock-after", &lockAfter},
      {"lock-seconds", &options.accounts.lockSeconds},
      {"account-failures-per-hour", &accountFailures},
      {"session-seconds", &options.accounts.sessionSeconds},
      {"remember-seconds", &options.accounts.rememberSeconds},
      {"account-threads", &threads},
      {"tunnels-per-account", &tunnelsPerAccount},
      {"dead-peer-seconds", &deadPeer},
      {"forget-ids-after-seconds", &options.forgetIdsAfterSeconds},
      {"sweep-seconds", &sweep},
  };
  for (const auto& [name, value] : args.options) {
    const bool known = name == "data" || name == "listen" ||
                       std::any_of(std::begin(numbers), std::end(numbers),
                                   [&](const NumberOption& n) { return name == n.name; });
    if (!known) {
      std::fprintf(stderr, "Opcao desconhecida: --%s\n", name.c_str());
      return 2;
    }
  }
  if (!args.options.contains("listen") ||
      !parseListenAddress(args.options.at("listen"), options.listenAddress, options.port)) {
    std::fputs(kServeHelp, stderr);
    return 2;
  }
  for (const NumberOption& n : numbers) {
    if (!readNumber(args, n.name, *n.value)) return 2;
  }
  options.stepTimeout = std::chrono::milliseconds(stepMs);
  options.maxConnections = size_t(maxConnections);
  options.openingPerSource = size_t(openingPerSource);
  options.hostsPerSource = size_t(hostsPerSource);
  options.connectionsPerMinute = int(perMinute);
  options.newIdsPerDay = int(newIds);
  options.failedLoginsPerWindow = int(failed);
  options.tunnelsPerMinute = int(tunnels);
  options.accounts.lockAfter = int(lockAfter);
  options.accountFailuresPerHour = int(accountFailures);
  options.accountThreads = int(threads);
  options.tunnelsPerAccount = int(tunnelsPerAccount);
  options.deadPeerSeconds = int(deadPeer);
  options.sweepInterval = std::chrono::seconds(std::max<int64_t>(1, sweep));

  prepareProcess();
  P256KeyPair key;
  if (!loadOrCreateRelayKey(dir, key)) return 1;
  auto store = openStore(dir);
  if (!store) return 1;
  store->deleteExpiredSessions(std::time(nullptr));
  fitConnectionCap(options);
  RelayServer server(options, key, *store);
  if (!server.start()) return 1;
  logPrintf("[RELAY] Chave publica: %s\n", toHex(key.publicKey(), true).c_str());
  server.run();
  logPrintf("[RELAY] Encerrado\n");
  return 0;
}

int accountAdd(const Arguments& args, const std::filesystem::path& dir) {
  if (unknownOptions(args, {"data", "display-name", "expires", "iterations"}) || args.positional.size() != 3 ||
      !args.options.contains("display-name")) {
    std::fputs(kAccountAddHelp, stderr);
    return 2;
  }
  Account account;
  account.login = args.positional[2];
  account.displayName = args.options.at("display-name");
  if (account.login.empty() || account.login.size() > 255 || account.displayName.size() > 255) {
    std::fputs("Login e nome devem ter de 1 a 255 bytes\n", stderr);
    return 2;
  }
  if (args.options.contains("expires") && !parseExpiryDate(args.options.at("expires"), account.expires)) {
    std::fputs("Data invalida em --expires (use AAAA-MM-DD)\n", stderr);
    return 2;
  }
  int64_t iterations = AccountPolicy{}.iterations;
  if (!readNumber(args, "iterations", iterations) || iterations < 1 || iterations > 10000000) return 2;

  std::string password;
  std::getline(std::cin, password);
  while (!password.empty() && (password.back() == '\r' || password.back() == '\n')) password.pop_back();
  if (password.empty() || password.size() > 255) {
    secureWipe(password);
    std::fputs("A senha (entrada padrao) deve ter de 1 a 255 bytes\n", stderr);
    return 2;
  }
  const bool hashed = setAccountPassword(account, password, uint32_t(iterations));
  secureWipe(password);
  auto store = openStore(dir);
  if (!hashed || !store) return 1;
  switch (store->addAccount(account)) {
    case AddAccountResult::kAdded:
      std::printf("Conta %s criada\n", account.login.c_str());
      return 0;
    case AddAccountResult::kExists:
      std::fprintf(stderr, "A conta %s ja existe\n", account.login.c_str());
      return 1;
    case AddAccountResult::kFailed:
      break;
  }
  return 1;
}

int accountDisable(const Arguments& args, const std::filesystem::path& dir) {
  if (unknownOptions(args, {"data"}) || args.positional.size() != 3) {
    std::fputs(kAccountDisableHelp, stderr);
    return 2;
  }
  auto store = openStore(dir);
  if (!store) return 1;
  if (!store->disableAccount(args.positional[2])) {
    std::fprintf(stderr, "Conta %s nao encontrada\n", args.positional[2].c_str());
    return 1;
  }
  std::printf("Conta %s desativada\n", args.positional[2].c_str());
  return 0;
}

std::string formatDay(int64_t expires) {
  if (expires == 0) return "-";
  const std::time_t lastDay = std::time_t(expires - 86400);
  std::tm tm{};
  gmtime_r(&lastDay, &tm);
  char text[16];
  std::strftime(text, sizeof text, "%Y-%m-%d", &tm);
  return text;
}

int accountList(const Arguments& args, const std::filesystem::path& dir) {
  if (unknownOptions(args, {"data"}) || args.positional.size() != 2) {
    std::fputs(kAccountListHelp, stderr);
    return 2;
  }
  auto store = openStore(dir);
  if (!store) return 1;
  const int64_t now = std::time(nullptr);
  std::printf("%-24s %-28s %-10s %s\n", "LOGIN", "NOME", "ESTADO", "VALIDADE");
  for (const Account& a : store->listAccounts()) {
    const char* state = a.disabled ? "desativada" : (a.expires != 0 && a.expires <= now) ? "expirada" : "ativa";
    std::printf("%-24s %-28s %-10s %s\n", a.login.c_str(), a.displayName.c_str(), state,
                formatDay(a.expires).c_str());
  }
  return 0;
}

int key(const Arguments& args, const std::filesystem::path& dir) {
  if (unknownOptions(args, {"data"})) return 2;
  P256KeyPair relayKey;
  if (!loadOrCreateRelayKey(dir, relayKey, false)) return 1;
  std::printf("%s\n", toHex(relayKey.publicKey(), true).c_str());
  return 0;
}

const char* helpFor(const Arguments& args) {
  const auto& p = args.positional;
  if (p.empty()) return kUsage;
  if (p[0] == "serve") return kServeHelp;
  if (p[0] == "key") return kKeyHelp;
  if (p[0] == "account" && p.size() > 1) {
    if (p[1] == "add") return kAccountAddHelp;
    if (p[1] == "disable") return kAccountDisableHelp;
    if (p[1] == "list") return kAccountListHelp;
  }
  return kUsage;
}

int dispatch(int argc, char** argv) {
  Arguments args;
  if (!parseArguments(argc, argv, args)) return 2;
  if (args.help) {
    std::fputs(helpFor(args), stdout);
    return 0;
  }
  if (args.positional.empty() || !args.options.contains("data")) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::filesystem::path dir = args.options.at("data");
  const std::string& command = args.positional[0];
  if (command == "serve" && args.positional.size() == 1) return serve(args, dir);
  if (command == "key" && args.positional.size() == 1) return key(args, dir);
  if (command == "account" && args.positional.size() >= 2) {
    if (args.positional[1] == "add") return accountAdd(args, dir);
    if (args.positional[1] == "disable") return accountDisable(args, dir);
    if (args.positional[1] == "list") return accountList(args, dir);
  }
  std::fputs(kUsage, stderr);
  return 2;
}

}  // namespace
}  // namespace px::relayd

int main(int argc, char** argv) { return px::relayd::dispatch(argc, argv); }
