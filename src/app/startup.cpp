#include "app/startup.h"

#include <mutex>
#include <string>

#include "base/data_folder.h"
#include "base/log.h"
#include "relay/login_state.h"
#include "relay/relay_config.h"
#include "store/connection_lists.h"
#include "store/password_store.h"
#include "store/saved_login.h"

namespace px {
namespace {

void restoreSavedLogin(AccountState& account) {
  SavedLogin saved;
  const SavedLoginRestore restored = loadSavedLogin(saved, accountClockNow());
  if (restored == SavedLoginRestore::kNothing) return;
  std::lock_guard lock(account.lock);
  account.lastLoginName = saved.loginName;
  if (restored == SavedLoginRestore::kSession) {
    account.session = {saved.token, saved.expiry, saved.loginName, saved.displayName};
  }
}

}  // namespace

void openAppLog() { openLog(dataFolder() / kLogFileName); }

void loadLocalStores() {
  loadRecent();
  loadPasswordStore();
}

bool loadRelayAndLogin() {
  loadRelayConfig();
  AccountState& account = accountState();
  restoreSavedLogin(account);
  std::string user;
  {
    std::lock_guard lock(account.lock);
    if (!loggedInWithSpare(account.session, accountClockNow())) return false;
    user = account.session.loginName;
  }
  loadFavourites(user);
  return true;
}

}  // namespace px
