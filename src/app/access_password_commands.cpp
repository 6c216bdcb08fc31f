#include "app/access_password_commands.h"

#include "base/scoped_wipe.h"
#include "store/password_store.h"

namespace px {

bool accessPasswordIsSet() { return readPasswordStore().hasPassword; }

AccessPasswordStore processPasswordStore() { return {&setAccessPassword, &accessPasswordIsSet}; }

PasswordCommandOutcome savePasswordCommand(PasswordForm form, std::string& typed,
                                           std::string& repeat, const AccessPasswordStore& store) {
  const ScopedWipe wipeTyped(typed);
  const ScopedWipe wipeRepeat(repeat);
  std::string_view error = accessPasswordInputError(form, typed, repeat);
  if (error.empty() && !store.set(asBytes(typed))) error = kPasswordSaveFailedError;
  return passwordSaveOutcome(form, error, store.isSet());
}

PasswordCommandOutcome removePasswordCommand(const AccessPasswordStore& store) {
  return passwordRemoveOutcome(store.set({}));
}

}  // namespace px
