#include "ui/password_settings.h"

namespace px {

std::string_view accessPasswordInputError(PasswordForm form, std::string_view typed,
                                          std::string_view repeat) {
  if (form == PasswordForm::kPasswordScreen) {
    if (typed.empty()) return kPasswordBothEmptyError;
    if (repeat != typed) return kPasswordMismatchError;
  }
  // Empty is fine here only on the home screen, where it means removal.
  if (!typed.empty() && typed.size() < kMinAccessPasswordBytes) return kPasswordTooShortError;
  return {};
}

PasswordCommandOutcome passwordSaveOutcome(PasswordForm form, std::string_view error,
                                           bool passwordNowSet) {
  PasswordCommandOutcome out;
  const bool onScreen = form == PasswordForm::kPasswordScreen;
  if (!error.empty()) {
    (onScreen ? out.screenError : out.status) = error;
    return out;
  }
  out.status = passwordNowSet ? kPasswordSetStatus : kPasswordRemovedStatus;
  out.emptyEdits = true;
  out.closeScreen = onScreen;
  return out;
}

PasswordCommandOutcome passwordRemoveOutcome(bool removed) {
  PasswordCommandOutcome out = passwordBackOutcome();
  out.status = removed ? kPasswordRemovedStatus : kPasswordRemoveFailedStatus;
  return out;
}

PasswordCommandOutcome passwordBackOutcome() {
  PasswordCommandOutcome out;
  out.emptyEdits = true;
  out.closeScreen = true;
  return out;
}

const char* passwordScreenHeading(bool passwordSet) {
  return passwordSet ? kPasswordScreenHeadingSet : kPasswordScreenHeadingUnset;
}

const char* unattendedHint(bool passwordSet) {
  return passwordSet ? kUnattendedHintSet : kUnattendedHintUnset;
}

}  // namespace px
