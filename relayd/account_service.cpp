#include "relayd/account_service.h"

#include <chrono>
#include <cstdio>

namespace px::relayd {
namespace {

constexpr size_t kSaltSize = 16;

Digest32 tokenHash(const SessionToken& token) { return sha256({token}); }

bool hashPassword(std::string_view password, ByteView salt, uint32_t iterations, Digest32& out) {
  return pbkdf2Sha256(asBytes(password), salt, iterations, out);
}

}  // namespace

bool setAccountPassword(Account& account, std::string_view password, uint32_t iterations) {
  account.salt.assign(kSaltSize, 0);
  account.iterations = iterations;
  return randomBytes(account.salt) && hashPassword(password, account.salt, iterations, account.hash);
}

bool passwordMatches(const Account& account, std::string_view password) {
  Digest32 computed{};
  const bool ok = hashPassword(password, account.salt, account.iterations, computed) &&
                  constantTimeEqual(computed, account.hash);
  secureWipe(computed);
  return ok;
}

bool parseExpiryDate(std::string_view text, int64_t& out) {
  unsigned year = 0, month = 0, day = 0;
  char tail = 0;
  if (text.size() != 10 || std::sscanf(std::string(text).c_str(), "%4u-%2u-%2u%c", &year, &month, &day, &tail) != 3) {
    return false;
  }
  using namespace std::chrono;
  const year_month_day date{std::chrono::year(int(year)), std::chrono::month(month), std::chrono::day(day)};
  if (!date.ok()) return false;
  out = duration_cast<seconds>((sys_days(date) + days(1)).time_since_epoch()).count();
  return true;
}

LoginReply AccountService::login(const LoginRequest& request, int64_t now) {
  LoginReply reply;
  Account account;
  if (!store_.findAccount(request.login, account)) {
    // Spend the same time as a real check, so unknown logins cannot be told apart by timing.
    Account dummy;
    dummy.salt.assign(kSaltSize, 0);
    dummy.iterations = policy_.iterations;
    passwordMatches(dummy, request.password);
    reply.status = kAccountBadCredentials;
    return reply;
  }
  if (!passwordMatches(account, request.password)) {
    reply.status = kAccountBadCredentials;
    return reply;
  }
  if (account.disabled) {
    reply.status = kAccountDisabled;
    return reply;
  }
  if (account.expires != 0 && account.expires <= now) {
    reply.status = kAccountExpired;
    return reply;
  }
  const int64_t lifetime = request.remember ? policy_.rememberSeconds : policy_.sessionSeconds;
  if (!randomBytes(reply.token) ||
      !store_.addSession(tokenHash(reply.token), account.login, now + lifetime, request.deviceLabel)) {
    secureWipe(reply.token);
    reply.status = kAccountServiceDown;
    return reply;
  }
  reply.status = kAccountOk;
  reply.lifetimeSeconds = uint32_t(lifetime);
  reply.displayName = account.displayName;
  return reply;
}

uint8_t AccountService::checkSession(const SessionToken& token, int64_t now, std::string& login) {
  Session session;
  Account account;
  if (!store_.findSession(tokenHash(token), session) || session.expires <= now ||
      !store_.findAccount(session.login, account) || account.disabled ||
      (account.expires != 0 && account.expires <= now)) {
    return kAccountSessionExpired;
  }
  login = session.login;
  return kAccountOk;
}

void AccountService::logout(const SessionToken& token) { store_.deleteSession(tokenHash(token)); }

}  // namespace px::relayd
