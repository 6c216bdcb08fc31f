// The access-password commands of the main window, run against the password store: "Salvar"
// (command 107, on the home screen or the password screen) and "Remover". Main thread only.
#pragma once

#include <string>

#include "base/bytes.h"
#include "ui/password_settings.h"

namespace px {

// The store as these commands use it; tests put a failing one in.
struct AccessPasswordStore {
  bool (*set)(ByteView password);  // empty removes; false leaves the store as it was
  bool (*isSet)();
};

AccessPasswordStore processPasswordStore();

bool accessPasswordIsSet();

// Validates the typed texts (UTF-8, read from the edits), stores or removes the password, and
// overwrites both texts with zero bytes whatever happens.
PasswordCommandOutcome savePasswordCommand(PasswordForm form, std::string& typed,
                                           std::string& repeat,
                                           const AccessPasswordStore& store = processPasswordStore());

PasswordCommandOutcome removePasswordCommand(
    const AccessPasswordStore& store = processPasswordStore());

}  // namespace px
