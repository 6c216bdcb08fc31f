// The relay's store and account rules, without the network.
#include <gtest/gtest.h>

#include <set>

#include "relayd/account_service.h"
#include "relayd/rate_limiter.h"
#include "relayd/relay_handlers.h"
#include "support/test_paths.h"

namespace px::relayd {
namespace {

constexpr int64_t kNow = 1'800'000'000;

class AccountServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    store_ = RelayStore::open(temp_.path() / "relay.db");
    ASSERT_TRUE(store_);
    policy_.iterations = 1000;
    add("maria", "segredo");
  }
  void add(const std::string& login, const std::string& password, bool disabled = false, int64_t expires = 0) {
    Account account;
    account.login = login;
    account.displayName = "Nome de " + login;
    account.disabled = disabled;
    account.expires = expires;
    ASSERT_TRUE(setAccountPassword(account, password, 1000));
    ASSERT_EQ(store_->addAccount(account), AddAccountResult::kAdded);
  }
  LoginReply login(const std::string& name, const std::string& password, uint8_t remember = 0,
                   int64_t now = kNow) {
    AccountService service(*store_, policy_);
    return service.login({name, password, remember, "tester @ pc"}, now);
  }

  test::TempDir temp_;
  std::unique_ptr<RelayStore> store_;
  AccountPolicy policy_;
};

TEST_F(AccountServiceTest, StoresOnlySaltedHashesAndTokenHashes) {
  Account account;
  ASSERT_TRUE(store_->findAccount("maria", account));
  EXPECT_EQ(account.salt.size(), 16u);
  EXPECT_NE(account.hash, Digest32{});
  Account again = account;
  ASSERT_TRUE(setAccountPassword(again, "segredo", 1000));
  EXPECT_NE(again.salt, account.salt);
  EXPECT_NE(again.hash, account.hash);

  const LoginReply reply = login("maria", "segredo");
  ASSERT_EQ(reply.status, kAccountOk);
  Session session;
  EXPECT_FALSE(store_->findSession(Digest32(reply.token), session));
  EXPECT_TRUE(store_->findSession(sha256({reply.token}), session));
  EXPECT_EQ(session.login, "maria");
}

TEST_F(AccountServiceTest, SessionLifetimeDependsOnRemember) {
  EXPECT_EQ(login("maria", "segredo", 0).lifetimeSeconds, uint32_t(policy_.sessionSeconds));
  EXPECT_EQ(login("maria", "segredo", 1).lifetimeSeconds, uint32_t(policy_.rememberSeconds));
}

TEST_F(AccountServiceTest, WrongPasswordsAloneNeverLockHere) {
  for (int i = 0; i < 5; ++i) EXPECT_EQ(login("maria", "x").status, kAccountBadCredentials);
  EXPECT_EQ(login("maria", "segredo").status, kAccountOk);
}

TEST_F(AccountServiceTest, DisabledAndExpiredAccountsAndTheirSessions) {
  add("velha", "x", false, kNow + 10);
  const LoginReply reply = login("velha", "x");
  ASSERT_EQ(reply.status, kAccountOk);
  AccountService service(*store_, policy_);
  std::string name;
  EXPECT_EQ(service.checkSession(reply.token, kNow, name), kAccountOk);
  EXPECT_EQ(service.checkSession(reply.token, kNow + 10, name), kAccountSessionExpired);
  EXPECT_EQ(login("velha", "x", 0, kNow + 10).status, kAccountExpired);

  const LoginReply maria = login("maria", "segredo");
  ASSERT_TRUE(store_->disableAccount("maria"));
  EXPECT_EQ(service.checkSession(maria.token, kNow, name), kAccountSessionExpired);
  EXPECT_EQ(login("maria", "segredo").status, kAccountDisabled);
  EXPECT_EQ(login("maria", "errada").status, kAccountBadCredentials);
  EXPECT_FALSE(store_->disableAccount("ninguem"));
}

TEST_F(AccountServiceTest, LogoutEndsTheSession) {
  const LoginReply reply = login("maria", "segredo");
  AccountService service(*store_, policy_);
  std::string name;
  ASSERT_EQ(service.checkSession(reply.token, kNow, name), kAccountOk);
  service.logout(reply.token);
  EXPECT_EQ(service.checkSession(reply.token, kNow, name), kAccountSessionExpired);
}

TEST_F(AccountServiceTest, HostIdsAreStablePerKeyAndDistinct) {
  std::set<std::string> ids;
  for (int i = 0; i < 50; ++i) {
    PublicKey64 key{};
    key[0] = uint8_t(i);
    std::string id, again;
    ASSERT_TRUE(store_->hostIdFor(key, kNow, id));
    ASSERT_TRUE(store_->hostIdFor(key, kNow, again));
    EXPECT_EQ(id, again);
    EXPECT_TRUE(isComputerId(id));
    EXPECT_NE(id[0], '0');
    ids.insert(id);
  }
  EXPECT_EQ(ids.size(), 50u);
}

TEST(ExpiryDateTest, ValidThroughTheWholeDay) {
  int64_t end = 0;
  ASSERT_TRUE(parseExpiryDate("2020-01-31", end));
  EXPECT_EQ(end, 1580515200);  // 2020-02-01T00:00:00Z
  for (const char* bad : {"2020-02-30", "2020-13-01", "2020-1-01", "20200101", "2020-01-01x", ""}) {
    EXPECT_FALSE(parseExpiryDate(bad, end)) << bad;
  }
}

TEST(RateLimiterTest, CountsPerKeyWithinTheWindow) {
  RateLimiter limiter(2, std::chrono::seconds(60));
  const auto t0 = RateLimiter::Clock::now();
  EXPECT_TRUE(limiter.take("a", t0));
  EXPECT_TRUE(limiter.take("a", t0));
  EXPECT_FALSE(limiter.take("a", t0));
  EXPECT_TRUE(limiter.take("b", t0));
  EXPECT_TRUE(limiter.take("a", t0 + std::chrono::seconds(61)));
  RateLimiter off(0, std::chrono::seconds(60));
  for (int i = 0; i < 10; ++i) EXPECT_TRUE(off.take("a", t0));
}

TEST(RelayHandlersTest, RegistrationProofMustBeTheIdentitysSignatureOverTheChallenge) {
  const P256KeyPair relay = P256KeyPair::generate(), host = P256KeyPair::generate();
  RegistrationHello hello{host.publicKey(), {}};
  Bytes answer;
  auto pending = beginRegistration(buildRegistrationHello(hello), relay.publicKey(), answer);
  ASSERT_TRUE(pending);
  ASSERT_EQ(answer.size(), 97u);
  EXPECT_EQ(answer[0], kStatusChallenge);
  const auto challenge = parseRelayChallenge(ByteView(answer).subspan(1));
  Signature64 proof;
  ASSERT_TRUE(host.sign(registrationHash(relay.publicKey(), host.publicKey(), hello.hostNonce,
                                         challenge->relayNonce), proof));
  EXPECT_TRUE(verifyRegistrationProof(*pending, relay.publicKey(), proof));
  proof[10] ^= 1;
  EXPECT_FALSE(verifyRegistrationProof(*pending, relay.publicKey(), proof));

  ASSERT_TRUE(buildRegisteredAnswer(*pending, "123456789", relay, answer));
  ASSERT_EQ(answer.size(), 74u);
  const auto confirmation = parseConfirmation(ByteView(answer).subspan(1));
  EXPECT_TRUE(ecdsaVerify(relay.publicKey(), registrationOkHash(host.publicKey(), hello.hostNonce, "123456789"),
                          confirmation->signature));
  EXPECT_FALSE(buildRegisteredAnswer(*pending, "12345678a", relay, answer));
}

TEST(RelayHandlersTest, SealedOpeningAndLengths) {
  Bytes answer;
  const uint8_t foreign[] = {'P', 'X', 'R', '4', 52};
  EXPECT_FALSE(beginSealedExchange(foreign, answer));
  auto exchange = beginSealedExchange(buildSealedOpening(SealedType::kLogout), answer);
  ASSERT_TRUE(exchange);
  EXPECT_EQ(answer.size(), 33u);
  EXPECT_EQ(answer[0], '@');
  EXPECT_FALSE(acceptableSealedLength(15));
  EXPECT_TRUE(acceptableSealedLength(16));
  EXPECT_FALSE(acceptableSealedLength(uint16_t(kMaxSealedRequestLength + 1)));
}

}  // namespace
}  // namespace px::relayd

namespace px::relayd {
namespace {

TEST(RelayStoreTest, ForgetsOnlyIdsUnseenSinceTheCutoff) {
  test::TempDir temp;
  auto store = RelayStore::open(temp.path() / "relay.db");
  ASSERT_TRUE(store);
  PublicKey64 old{}, online{}, recent{};
  old[0] = 1, online[0] = 2, recent[0] = 3;
  std::string oldId, onlineId, recentId, id;
  ASSERT_TRUE(store->hostIdFor(old, 1000, oldId));
  ASSERT_TRUE(store->hostIdFor(online, 1000, onlineId));
  ASSERT_TRUE(store->hostIdFor(recent, 1000, recentId));
  EXPECT_EQ(store->findHost(recent, 1500, 1500, id), HostLookup::kFound);  // seen again later
  EXPECT_TRUE(store->markHostsSeen({onlineId}, 2000));
  EXPECT_EQ(store->forgetHostsUnseenSince(1200), 1);
  EXPECT_EQ(store->findHost(old, 2000, 0, id), HostLookup::kMissing);
  EXPECT_EQ(store->findHost(online, 2000, 0, id), HostLookup::kFound);
  EXPECT_EQ(id, onlineId);
  EXPECT_EQ(store->findHost(recent, 2000, 0, id), HostLookup::kFound);
}

}  // namespace
}  // namespace px::relayd
