// What the relay keeps across restarts, in one SQLite file: the ID of every identity key that ever
// registered, the accounts (salted slow password hashes only) and the sessions (token hashes only).
//
// Thread use: every method takes the store's own lock, so the network thread and the account
// worker may share one store.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "crypto/crypto.h"

struct sqlite3;

namespace px::relayd {

struct Account {
  std::string login;
  std::string displayName;
  Bytes salt;
  Digest32 hash{};
  uint32_t iterations = 0;
  bool disabled = false;
  int64_t expires = 0;      // seconds since 1970; 0 = never
  int failedLogins = 0;     // wrong passwords since the last success or lock
  int64_t lockedUntil = 0;  // seconds since 1970; 0 = not locked
};

struct Session {
  std::string login;
  int64_t expires = 0;
};

enum class AddAccountResult { kAdded, kExists, kFailed };

class RelayStore {
 public:
  // Opens (creating when missing) the database file; null when it cannot be opened or set up.
  static std::unique_ptr<RelayStore> open(const std::filesystem::path& file);
  ~RelayStore();
  RelayStore(const RelayStore&) = delete;
  RelayStore& operator=(const RelayStore&) = delete;

  // The ID kept for `identity`, or a fresh random unused one stored now. False on a store error.
  bool hostIdFor(const PublicKey64& identity, std::string& id);

  AddAccountResult addAccount(const Account& account);
  // False when the login is unknown or the store fails.
  bool findAccount(const std::string& login, Account& out);
  bool setLoginCounters(const std::string& login, int failedLogins, int64_t lockedUntil);
  // False when the login is unknown. Also ends the account's sessions.
  bool disableAccount(const std::string& login);
  std::vector<Account> listAccounts();

  bool addSession(const Digest32& tokenHash, const std::string& login, int64_t expires,
                  const std::string& deviceLabel);
  bool findSession(const Digest32& tokenHash, Session& out);
  void deleteSession(const Digest32& tokenHash);
  void deleteExpiredSessions(int64_t now);

 private:
  explicit RelayStore(sqlite3* db) : db_(db) {}
  bool findHostId(const PublicKey64& identity, std::string& id);

  std::mutex lock_;
  sqlite3* db_;  // owned; closed by the destructor
};

}  // namespace px::relayd
