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
  int64_t expires = 0;  // seconds since 1970; 0 = never
};

struct Session {
  std::string login;
  int64_t expires = 0;
};

enum class AddAccountResult { kAdded, kExists, kFailed };
enum class HostLookup { kFound, kMissing, kFailed };

class RelayStore {
 public:
  // Opens (creating when missing) the database file; null when it cannot be opened or set up.
  static std::unique_ptr<RelayStore> open(const std::filesystem::path& file);
  ~RelayStore();
  RelayStore(const RelayStore&) = delete;
  RelayStore& operator=(const RelayStore&) = delete;

  // The ID kept for `identity`; marks it seen at `now` (seconds since 1970) when it was last
  // marked before `staleBefore`, so frequent registrations cost no write each.
  HostLookup findHost(const PublicKey64& identity, int64_t now, int64_t staleBefore, std::string& id);
  // The ID kept for `identity`, or a fresh random unused one stored now. False on a store error.
  bool hostIdFor(const PublicKey64& identity, int64_t now, std::string& id);
  // Marks the IDs of hosts registered right now as seen, so no sweep removes them.
  bool markHostsSeen(const std::vector<std::string>& ids, int64_t now);
  // Removes every ID not seen since `cutoff`; the number removed, or -1 on a store error. Until
  // its row goes an ID is never handed to another key.
  int forgetHostsUnseenSince(int64_t cutoff);

  AddAccountResult addAccount(const Account& account);
  // False when the login is unknown or the store fails.
  bool findAccount(const std::string& login, Account& out);
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
  HostLookup findHostId(const PublicKey64& identity, std::string& id);

  std::mutex lock_;
  sqlite3* db_;  // owned; closed by the destructor
};

}  // namespace px::relayd
