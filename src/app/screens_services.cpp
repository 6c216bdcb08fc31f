#include "app/screens_services.h"

#include <thread>

#include "base/bytes.h"
#include "relay/login_state.h"
#include "relay/registration_loop.h"
#include "store/connection_lists.h"
#include "store/saved_login.h"

namespace px {

std::string ProcessScreensServices::ownId() const {
  return hostMode_ ? registrationState().currentId() : std::string();
}

int64_t ProcessScreensServices::now() const { return accountClockNow(); }

void ProcessScreensServices::startLogin(LoginThreadRequest request) {
  WorkerReports* reports = &reports_;
  std::thread(loginWorker, std::move(request.login), std::move(request.password), request.remember,
              [reports](std::unique_ptr<LoginResult> result) {
                return reports->loginFinished(std::move(result));
              })
      .detach();
}

void ProcessScreensServices::startLogout(const SessionToken& token) {
  std::thread(logoutWorker, token).detach();
}

void ProcessScreensServices::startViewerSession(const std::string& id, std::string password) {
  if (startViewer_) startViewer_(id, password);
  secureWipe(password);
}

void ProcessScreensServices::saveLogin(const LoginResult& result) {
  px::saveLogin(result.token, result.expiry, result.loginName, result.displayName);
}

void ProcessScreensServices::forgetSavedLogin() { px::forgetSavedLogin(); }

void ProcessScreensServices::loadFavourites(const std::string& loginName) {
  px::loadFavourites(loginName);
}

void ProcessScreensServices::clearFavourites() { px::clearFavourites(); }

}  // namespace px
