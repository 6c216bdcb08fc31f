// A relay process with one account, and raw clients from any loopback source, for the tests that
// play hostile and legitimate clients against the real server.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "relay/relay_config.h"
#include "support/relay_process_posix.h"
#include "support/relay_raw_client_posix.h"
#include "support/test_paths.h"

namespace px::test {

class RelayFixture : public ::testing::Test {
 public:  // helpers that run on other threads call back into the fixture
  static constexpr const char* kHost = "127.0.0.1";

  void SetUp() override {
    data_ = temp_.path() / "relay";
    auto key = runRelayCommand({"key", "--data", data_.string()});
    ASSERT_EQ(key.exitCode, 0) << key.output;
    ASSERT_TRUE(parseRelayKeyHex(key.output.substr(0, 128), relayKey_));
    addAccount("maria", "segredo");
  }
  void addAccount(const std::string& login, const std::string& password) {
    auto result = runRelayCommand({"account", "add", login, "--data", data_.string(), "--iterations", "1000",
                                   "--display-name", login},
                                  password + "\n");
    ASSERT_EQ(result.exitCode, 0) << result.output;
  }
  void startRelay(std::vector<std::string> extra = {}, ChildLimits limits = {},
                  const std::string& listen = "127.0.0.1:0") {
    relay_.reset();
    relay_ = std::make_unique<RelayProcess>(data_, extra, limits, listen);
    ASSERT_NE(relay_->port(), 0) << relay_->output();
  }

  int loginAs(const std::string& source, const std::string& login, const std::string& password,
              SessionToken* token = nullptr) {
    return loginFrom(source, kHost, relay_->port(), relayKey_, login, password, token);
  }
  RawRegistration registerAs(const std::string& source, const P256KeyPair& key = P256KeyPair::generate()) {
    return registerFrom(source, kHost, relay_->port(), key);
  }
  // A tunnel request's reply status (0 joins it: `socket` is then the tunnel), or 100 + refusal.
  int tunnelAs(const std::string& source, const SessionToken& token, const std::string& id, int* socket = nullptr) {
    RawSealed sealed = sealedFrom(source, kHost, relay_->port(), relayKey_, SealedType::kTunnel,
                                  buildTunnelRequest({token, id}));
    if (!sealed.answered) return 100 + sealed.refusal;
    if (socket) {
      *socket = sealed.socket;
    } else if (sealed.socket >= 0) {
      close(sealed.socket);
    }
    return sealed.reply[0];
  }
  // The relay's resident memory in KiB.
  long residentKib() const {
    std::ifstream status("/proc/" + std::to_string(relay_->pid()) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
  }
  size_t countInOutput(const std::string& text) const {
    const std::string output = relay_->output();
    size_t count = 0;
    for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) ++count;
    return count;
  }

  TempDir temp_;
  std::filesystem::path data_;
  PublicKey64 relayKey_{};
  std::unique_ptr<RelayProcess> relay_;
};

// Closes every socket it holds when it goes.
struct SocketBag {
  std::vector<int> sockets;
  ~SocketBag() {
    for (int s : sockets) close(s);
  }
  void add(int s) {
    if (s >= 0) sockets.push_back(s);
  }
};

}  // namespace px::test
