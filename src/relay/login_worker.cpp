#include "relay/login_worker.h"

#include "base/log.h"
#include "base/scoped_wipe.h"
#include "relay/login_state.h"
#include "relay/sealed_request.h"

namespace px {
namespace {

// Fills `result` from an opened reply; false (with the error text) when it is not an acceptance.
bool readLoginReply(ByteView reply, LoginResult& result) {
  auto parsed = parseLoginReply(reply);
  if (!parsed || parsed->status != kAccountOk) {
    result.error = parsed ? accountStatusText(parsed->status) : "Erro: resposta invalida do relay";
    return false;
  }
  result.token = parsed->token;
  secureWipe(parsed->token);
  result.expiry = accountClockNow() + int64_t(parsed->lifetimeSeconds);
  result.displayName = parsed->displayName;
  logPrintf("[LOGIN] Login de %s aceito (%u h)\n", result.loginName.c_str(), parsed->lifetimeSeconds / 3600);
  return true;
}

}  // namespace

std::unique_ptr<LoginResult> performLogin(const std::string& login, std::string password, uint8_t remember) {
  auto result = std::make_unique<LoginResult>();
  result->loginName = login;
  result->remember = remember;

  Bytes request = buildLoginRequest({login, password, remember, deviceLabel()});
  secureWipe(password);
  SecureChannel channel;
  Bytes reply;
  ScopedWipe wipeRequest(request), wipeReply(reply);
  SealedFailure failure;
  if (!relaySealedRequest(channel, SealedType::kLogin, request, reply, failure)) {
    logPrintf("[LOGIN] Falha no login: %s\n", failure.error.c_str());
    result->error = failure.error;
  } else if (readLoginReply(reply, *result)) {
    result->accepted = true;
  } else {
    logPrintf("[LOGIN] Login de %s recusado: %s\n", login.c_str(), result->error.c_str());
  }
  closeChannel(channel);
  return result;
}

void loginWorker(std::string login, std::string password, uint8_t remember, LoginResultSink deliver) {
  auto result = performLogin(login, std::move(password), remember);
  if (deliver) deliver(std::move(result));
}

void logoutWorker(SessionToken token) {
  Bytes request = buildLogoutRequest(token);
  secureWipe(token);
  SecureChannel channel;
  Bytes reply;
  SealedFailure failure;
  relaySealedRequest(channel, SealedType::kLogout, request, reply, failure);
  secureWipe(request);
  closeChannel(channel);
}

}  // namespace px
