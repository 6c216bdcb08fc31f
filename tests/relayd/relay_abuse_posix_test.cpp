// Hostile clients against the real relay process: what one source can hold, guesses sent at
// once, the lock-out, and text meant to forge log lines. Each case ends with a legitimate client
// that must still get through.
#include <sys/socket.h>

#include <future>
#include <map>

#include "relayd/relay_fixture_posix.h"

namespace px::test {
namespace {

using RelayAbuseTest = RelayFixture;

enum class Attack { kSilentSockets, kRegisteredHosts };

TEST_F(RelayAbuseTest, OneSourceCannotFillTheRelay) {
  const struct {
    const char* name;
    std::vector<std::string> options;
    Attack attack;
    int tries;
    int mostHeld;              // connections or registrations the attacker may hold at most
    bool legitimateRegisters;  // whether a host from another source still registers
  } cases[] = {
      {"silent sockets beyond the opening cap", {"--opening-per-source", "8"}, Attack::kSilentSockets, 60, 8, true},
      {"hosts beyond the per-source cap", {"--hosts-per-source", "5"}, Attack::kRegisteredHosts, 8, 5, true},
      // Registered hosts leave a tenth of the connection cap to logins and tunnels.
      {"hosts up to the connection cap", {"--max-connections", "20", "--hosts-per-source", "0"},
       Attack::kRegisteredHosts, 24, 18, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> options = c.options;
    options.insert(options.end(), {"--step-timeout-ms", "60000", "--connections-per-minute", "1000"});
    startRelay(options);
    SocketBag held;
    int holding = 0;
    for (int i = 0; i < c.tries; ++i) {
      if (c.attack == Attack::kSilentSockets) {
        const int s = connectFrom("127.0.0.2", kHost, relay_->port(), 300);
        uint8_t byte = 0;
        // A socket over the cap is closed unread; one within it stays silent and open.
        if (s >= 0 && recv(s, &byte, 1, 0) < 0) ++holding;
        held.add(s);
      } else {
        RawRegistration r = registerAs("127.0.0.2");
        holding += r.status == kStatusRegistered;
        held.add(r.socket);
      }
    }
    EXPECT_EQ(holding, c.mostHeld);
    EXPECT_EQ(loginAs("127.0.0.1", "maria", "segredo"), kAccountOk);
    RawRegistration legitimate = registerAs("127.0.0.1");
    EXPECT_EQ(legitimate.status == kStatusRegistered, c.legitimateRegisters) << int(legitimate.status);
    held.add(legitimate.socket);
  }
}

TEST_F(RelayAbuseTest, DescriptorLimitLowersTheCapAndFailedAcceptsLogOncePerInterval) {
  startRelay({"--step-timeout-ms", "1500", "--connections-per-minute", "1000"}, {0, 256});
  EXPECT_NE(relay_->output().find("Limite de conexoes reduzido para 192"), std::string::npos) << relay_->output();
  {
    SocketBag silent;
    for (int source = 0; source < 8; ++source) {
      for (int i = 0; i < 60; ++i) silent.add(connectFrom("127.0.1." + std::to_string(source + 1), kHost, relay_->port()));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  EXPECT_EQ(countInOutput("accept falhou"), 1u) << relay_->output();
  // Once the silent sockets are gone the relay serves again.
  int status = -1;
  for (int i = 0; i < 20 && status != kAccountOk; ++i) {
    status = loginAs("127.0.0.1", "maria", "segredo");
    if (status != kAccountOk) std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  EXPECT_EQ(status, kAccountOk);
}

// Tallies of the statuses of `count` wrong logins from one source, sent in turn or all at once.
std::map<int, int> wrongLogins(RelayFixture& f, bool atOnce, int count, bool oneLogin) {
  std::vector<std::future<int>> results;
  std::map<int, int> tally;
  for (int i = 0; i < count; ++i) {
    const std::string login = oneLogin ? "maria" : "ninguem" + std::to_string(i);
    auto attempt = [&f, login] { return f.loginAs("127.0.0.3", login, "errada"); };
    if (atOnce) {
      results.push_back(std::async(std::launch::async, attempt));
    } else {
      ++tally[attempt()];
    }
  }
  for (auto& r : results) ++tally[r.get()];
  return tally;
}

TEST_F(RelayAbuseTest, GuessesSentAtOnceMeetTheSameLimitsAsGuessesInTurn) {
  const struct {
    const char* name;
    std::vector<std::string> options;
    int count;
    bool oneLogin;
    std::map<int, int> tally;  // status (100 + code for a refusal at the opening) -> how many
  } cases[] = {
      {"one login, lock after 5", {"--lock-after", "5", "--failed-logins", "100"}, 40, true,
       {{kAccountBadCredentials, 4}, {kAccountLocked, 36}}},
      {"many logins, 20 per source", {"--lock-after", "0", "--failed-logins", "20"}, 24, false,
       {{kAccountBadCredentials, 20}, {kAccountTooManyAttempts, 4}}},
  };
  for (const auto& c : cases) {
    for (bool atOnce : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (atOnce ? ", at once" : ", in turn"));
      std::vector<std::string> options = c.options;
      // A slow machine must not turn a late answer into a dropped one.
      options.insert(options.end(), {"--connections-per-minute", "1000", "--account-threads", "2",
                                     "--step-timeout-ms", "60000"});
      startRelay(options);
      std::map<int, int> tally = wrongLogins(*this, atOnce, c.count, c.oneLogin);
      // After the limit a new connection may already be refused at the opening (code 7): the
      // same answer to the user as status 8.
      if (tally.contains(100 + kRefusalTooManyAttempts)) {
        tally[kAccountTooManyAttempts] += tally[100 + kRefusalTooManyAttempts];
        tally.erase(100 + kRefusalTooManyAttempts);
      }
      EXPECT_EQ(tally, c.tally);
    }
  }
}

TEST_F(RelayAbuseTest, LockOutTellsNothingAndSparesTheOwner) {
  startRelay({"--lock-after", "3", "--account-failures-per-hour", "7", "--failed-logins", "100",
              "--connections-per-minute", "1000"});
  // maria exists and her password is "segredo"; ninguem does not exist.
  const struct {
    const char* source;
    const char* password;
    int maria;
    int ninguem;
  } steps[] = {
      {"127.0.0.5", "errada", kAccountBadCredentials, kAccountBadCredentials},
      {"127.0.0.5", "errada", kAccountBadCredentials, kAccountBadCredentials},
      {"127.0.0.5", "errada", kAccountLocked, kAccountLocked},
      {"127.0.0.5", "segredo", kAccountLocked, kAccountLocked},  // locked for that source only
      {"127.0.0.6", "segredo", kAccountOk, kAccountBadCredentials},  // the owner elsewhere
      // Guessing spread over many sources meets the slower limit per login...
      {"127.0.2.1", "errada", kAccountBadCredentials, kAccountBadCredentials},
      {"127.0.2.2", "errada", kAccountBadCredentials, kAccountBadCredentials},
      {"127.0.2.3", "errada", kAccountBadCredentials, kAccountBadCredentials},
      {"127.0.2.4", "errada", kAccountBadCredentials, kAccountLocked},  // the owner's try counted for ninguem
      {"127.0.2.5", "segredo", kAccountLocked, kAccountLocked},
      // ...which spares a source that logged in to that login before.
      {"127.0.0.6", "segredo", kAccountOk, kAccountLocked},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(loginAs(s.source, "maria", s.password), s.maria) << s.source << " " << s.password;
    EXPECT_EQ(loginAs(s.source, "ninguem", s.password), s.ninguem) << s.source << " " << s.password;
  }
}

TEST_F(RelayAbuseTest, RemoteTextCannotForgeALogLine) {
  startRelay();
  const std::string forged = "x\n[RELAY] Tunel de 10.0.0.66 (alice) para ID 123456789\x1b[2J";
  EXPECT_EQ(loginAs("127.0.0.1", forged, "errada"), kAccountBadCredentials);
  relay_->stop();
  const std::string output = relay_->output();
  EXPECT_EQ(output.find("\n[RELAY] Tunel de 10.0.0.66"), std::string::npos) << output;
  EXPECT_EQ(output.find('\x1b'), std::string::npos);
  EXPECT_NE(output.find("Login de x\\n[RELAY] Tunel de 10.0.0.66 (alice) para ID 123456789\\x1b[2J: status 1"),
            std::string::npos)
      << output;
}

}  // namespace
}  // namespace px::test
