#include "relayd/relay_store.h"

#include <sqlite3.h>

#include <cstring>

#include "base/log.h"

namespace px::relayd {
namespace {

// Files made before hosts had a last-seen time; their rows count as seen when created.
constexpr const char* kAddLastSeen = "ALTER TABLE hosts ADD COLUMN last_seen INTEGER NOT NULL DEFAULT 0";

constexpr const char* kSchema = R"sql(
PRAGMA journal_mode = WAL;
PRAGMA synchronous = NORMAL;
CREATE TABLE IF NOT EXISTS hosts(
  identity BLOB PRIMARY KEY,
  id TEXT NOT NULL UNIQUE,
  created INTEGER NOT NULL,
  last_seen INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS accounts(
  login TEXT PRIMARY KEY,
  display_name TEXT NOT NULL,
  salt BLOB NOT NULL,
  hash BLOB NOT NULL,
  iterations INTEGER NOT NULL,
  disabled INTEGER NOT NULL DEFAULT 0,
  expires INTEGER NOT NULL DEFAULT 0,
  failed_logins INTEGER NOT NULL DEFAULT 0,
  locked_until INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS sessions(
  token_hash BLOB PRIMARY KEY,
  login TEXT NOT NULL,
  expires INTEGER NOT NULL,
  device TEXT NOT NULL);
CREATE INDEX IF NOT EXISTS sessions_login ON sessions(login);
)sql";

// 100000000..999999999: nine digits without a leading zero, drawn uniformly.
bool randomComputerId(std::string& out) {
  constexpr uint32_t kSpan = 900000000;
  constexpr uint32_t kLimit = UINT32_MAX - UINT32_MAX % kSpan;
  for (;;) {
    uint8_t raw[4];
    if (!randomBytes(raw)) return false;
    const uint32_t value = loadLe32(raw);
    if (value >= kLimit) continue;
    out = std::to_string(100000000 + value % kSpan);
    return true;
  }
}

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
      logPrintf("[RELAY] SQLite: %s\n", sqlite3_errmsg(db));
      stmt_ = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  Statement& bind(int index, ByteView blob) {
    if (stmt_) sqlite3_bind_blob(stmt_, index, blob.data(), int(blob.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind(int index, const std::string& text) {
    if (stmt_) sqlite3_bind_text(stmt_, index, text.data(), int(text.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& bind(int index, int64_t value) {
    if (stmt_) sqlite3_bind_int64(stmt_, index, value);
    return *this;
  }
  // SQLITE_ROW, SQLITE_DONE or an error code, which is logged with SQLite's own message.
  int step() {
    if (!stmt_) return SQLITE_ERROR;
    const int result = sqlite3_step(stmt_);
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
      logPrintf("[RELAY] SQLite: %s (%s)\n", sqlite3_errmsg(db_), sqlite3_sql(stmt_));
    }
    return result;
  }
  bool run() { return step() == SQLITE_DONE; }

  std::string text(int column) const {
    const auto* p = sqlite3_column_text(stmt_, column);
    return p ? std::string(reinterpret_cast<const char*>(p), size_t(sqlite3_column_bytes(stmt_, column)))
             : std::string();
  }
  Bytes blob(int column) const {
    const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, column));
    return p ? Bytes(p, p + sqlite3_column_bytes(stmt_, column)) : Bytes();
  }
  int64_t integer(int column) const { return sqlite3_column_int64(stmt_, column); }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

constexpr const char* kAccountColumns =
    "login, display_name, salt, hash, iterations, disabled, expires";

Account readAccount(const Statement& row) {
  Account account;
  account.login = row.text(0);
  account.displayName = row.text(1);
  account.salt = row.blob(2);
  const Bytes hash = row.blob(3);
  if (hash.size() == account.hash.size()) std::memcpy(account.hash.data(), hash.data(), hash.size());
  account.iterations = uint32_t(row.integer(4));
  account.disabled = row.integer(5) != 0;
  account.expires = row.integer(6);
  return account;
}

}  // namespace

std::unique_ptr<RelayStore> RelayStore::open(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                      nullptr) != SQLITE_OK) {
    logPrintf("[RELAY] Banco %s nao abriu: %s\n", file.c_str(), db ? sqlite3_errmsg(db) : "?");
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, 5000);
  char* error = nullptr;
  if (sqlite3_exec(db, kSchema, nullptr, nullptr, &error) != SQLITE_OK) {
    logPrintf("[RELAY] Banco %s: %s\n", file.c_str(), error ? error : "?");
    sqlite3_free(error);
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_exec(db, kAddLastSeen, nullptr, nullptr, nullptr);  // fails harmlessly when present
  return std::unique_ptr<RelayStore>(new RelayStore(db));
}

RelayStore::~RelayStore() { sqlite3_close(db_); }

HostLookup RelayStore::findHostId(const PublicKey64& identity, std::string& id) {
  Statement select(db_, "SELECT id FROM hosts WHERE identity = ?");
  const int result = select.bind(1, identity).step();
  if (result == SQLITE_DONE) return HostLookup::kMissing;
  if (result != SQLITE_ROW) return HostLookup::kFailed;
  id = select.text(0);
  return HostLookup::kFound;
}

HostLookup RelayStore::findHost(const PublicKey64& identity, int64_t now, int64_t staleBefore,
                                std::string& id) {
  std::lock_guard guard(lock_);
  const HostLookup found = findHostId(identity, id);
  if (found != HostLookup::kFound) return found;
  Statement touch(db_, "UPDATE hosts SET last_seen = ? WHERE identity = ? AND last_seen < ?");
  // A failed touch only shortens the row's life; the registration still goes on.
  touch.bind(1, now).bind(2, identity).bind(3, staleBefore).run();
  return HostLookup::kFound;
}

bool RelayStore::markHostsSeen(const std::vector<std::string>& ids, int64_t now) {
  std::lock_guard guard(lock_);
  if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK) return false;
  bool ok = true;
  for (const std::string& id : ids) {
    Statement touch(db_, "UPDATE hosts SET last_seen = ? WHERE id = ?");
    ok = touch.bind(1, now).bind(2, id).run() && ok;
  }
  return sqlite3_exec(db_, ok ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr) == SQLITE_OK && ok;
}

int RelayStore::forgetHostsUnseenSince(int64_t cutoff) {
  std::lock_guard guard(lock_);
  Statement drop(db_, "DELETE FROM hosts WHERE max(created, last_seen) < ?");
  if (!drop.bind(1, cutoff).run()) return -1;
  return sqlite3_changes(db_);
}

bool RelayStore::hostIdFor(const PublicKey64& identity, int64_t now, std::string& id) {
  std::lock_guard guard(lock_);
  const HostLookup found = findHostId(identity, id);
  if (found != HostLookup::kMissing) return found == HostLookup::kFound;
  // A collision with a taken ID fails the insert on the UNIQUE constraint; draw again.
  for (int attempt = 0; attempt < 32; ++attempt) {
    std::string candidate;
    if (!randomComputerId(candidate)) return false;
    Statement insert(db_, "INSERT OR IGNORE INTO hosts(identity, id, created, last_seen) VALUES(?, ?, ?, ?)");
    if (!insert.bind(1, identity).bind(2, candidate).bind(3, now).bind(4, now).run()) return false;
    if (sqlite3_changes(db_) == 1) {
      id = candidate;
      return true;
    }
    if (findHostId(identity, id) == HostLookup::kFound) return true;
  }
  return false;
}

AddAccountResult RelayStore::addAccount(const Account& account) {
  std::lock_guard guard(lock_);
  Statement insert(db_,
                   "INSERT OR IGNORE INTO accounts(login, display_name, salt, hash, iterations, "
                   "disabled, expires) VALUES(?, ?, ?, ?, ?, ?, ?)");
  insert.bind(1, account.login)
      .bind(2, account.displayName)
      .bind(3, account.salt)
      .bind(4, account.hash)
      .bind(5, int64_t(account.iterations))
      .bind(6, int64_t(account.disabled))
      .bind(7, account.expires);
  if (!insert.run()) return AddAccountResult::kFailed;
  return sqlite3_changes(db_) == 1 ? AddAccountResult::kAdded : AddAccountResult::kExists;
}

bool RelayStore::findAccount(const std::string& login, Account& out) {
  std::lock_guard guard(lock_);
  Statement select(db_, (std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE login = ?").c_str());
  if (select.bind(1, login).step() != SQLITE_ROW) return false;
  out = readAccount(select);
  return true;
}

bool RelayStore::disableAccount(const std::string& login) {
  std::lock_guard guard(lock_);
  Statement update(db_, "UPDATE accounts SET disabled = 1 WHERE login = ?");
  if (!update.bind(1, login).run() || sqlite3_changes(db_) != 1) return false;
  Statement drop(db_, "DELETE FROM sessions WHERE login = ?");
  return drop.bind(1, login).run();
}

std::vector<Account> RelayStore::listAccounts() {
  std::lock_guard guard(lock_);
  std::vector<Account> accounts;
  Statement select(db_, (std::string("SELECT ") + kAccountColumns + " FROM accounts ORDER BY login").c_str());
  while (select.step() == SQLITE_ROW) accounts.push_back(readAccount(select));
  return accounts;
}

bool RelayStore::addSession(const Digest32& tokenHash, const std::string& login, int64_t expires,
                            const std::string& deviceLabel) {
  std::lock_guard guard(lock_);
  Statement insert(db_, "INSERT INTO sessions(token_hash, login, expires, device) VALUES(?, ?, ?, ?)");
  return insert.bind(1, tokenHash).bind(2, login).bind(3, expires).bind(4, deviceLabel).run();
}

bool RelayStore::findSession(const Digest32& tokenHash, Session& out) {
  std::lock_guard guard(lock_);
  Statement select(db_, "SELECT login, expires FROM sessions WHERE token_hash = ?");
  if (select.bind(1, tokenHash).step() != SQLITE_ROW) return false;
  out.login = select.text(0);
  out.expires = select.integer(1);
  return true;
}

void RelayStore::deleteSession(const Digest32& tokenHash) {
  std::lock_guard guard(lock_);
  Statement drop(db_, "DELETE FROM sessions WHERE token_hash = ?");
  drop.bind(1, tokenHash).run();
}

void RelayStore::deleteExpiredSessions(int64_t now) {
  std::lock_guard guard(lock_);
  Statement drop(db_, "DELETE FROM sessions WHERE expires <= ?");
  drop.bind(1, now).run();
}

}  // namespace px::relayd
