// The portable steps of start-up: the log, the local stores, the relay configuration and the
// saved login. Main thread, before any worker starts.
#pragma once

namespace px {

// The log file in the data folder, its session header written.
void openAppLog();

// The recent connections, then the unattended-access password store.
void loadLocalStores();

// The relay configuration, then the saved login into the account state; with a login that is
// valid for more than 30 seconds, that user's favourites. Returns whether a login was restored.
bool loadRelayAndLogin();

}  // namespace px
