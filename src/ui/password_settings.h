// The unattended-access password as the user sets it: on the home screen one field, on the
// screen over the compact view two. The texts shown and what each command leaves on screen.
#pragma once

#include <cstddef>
#include <string_view>

namespace px {

inline constexpr const char* kNewPasswordCue = "Definir senha de acesso";
inline constexpr const char* kRepeatPasswordCue = "Repita a senha";
inline constexpr const char* kPasswordScreenHeadingSet = "Trocar a senha de acesso deste computador";
inline constexpr const char* kPasswordScreenHeadingUnset =
    "Senha de acesso: quem tiver o código e a senha entra sem aceitar";
inline constexpr const char* kUnattendedHeading = "Acesso não supervisionado";
inline constexpr const char* kUnattendedHintSet =
    "Senha definida. Quem tiver o ID e a senha entra sem aceitar.";
inline constexpr const char* kUnattendedHintUnset =
    "Sem senha. O acesso pede aceitação nesta tela.";
inline constexpr const char* kSavePasswordButtonText = "Salvar";
inline constexpr const char* kPasswordBackButtonText = "Voltar";
inline constexpr const char* kRemovePasswordButtonText = "Remover";

inline constexpr const char* kPasswordBothEmptyError = "Digite a senha nas duas caixas";
inline constexpr const char* kPasswordMismatchError = "As senhas não conferem";
inline constexpr const char* kPasswordTooShortError = "A senha precisa ter pelo menos 8 caracteres";
inline constexpr const char* kPasswordSaveFailedError = "Não foi possível salvar a senha";
inline constexpr const char* kPasswordSetStatus = "Senha de acesso definida";
inline constexpr const char* kPasswordRemovedStatus = "Senha de acesso removida";
inline constexpr const char* kPasswordRemoveFailedStatus = "Não foi possível remover a senha";

// Counted in bytes of the UTF-8 text, so "senhaçã" (7 letters, 9 bytes) is long enough.
inline constexpr size_t kMinAccessPasswordBytes = 8;

enum class PasswordForm {
  kHomeSection,    // one field; empty removes the password
  kPasswordScreen, // new and repeat fields over the compact view
};

// The error of the typed texts (UTF-8), or empty when they may be stored. `repeat` counts only on
// the password screen. A mismatch is reported before the length.
std::string_view accessPasswordInputError(PasswordForm form, std::string_view typed,
                                          std::string_view repeat);

// What the window does after a command; it always repaints. The window assigns `screenError` to
// the password-screen error (empty clears it), shows `status` on the status line when it is not
// empty, empties both password edits when `emptyEdits`, and with `closeScreen` clears
// `passwordScreenShown` and places the controls.
struct PasswordCommandOutcome {
  std::string_view screenError;
  std::string_view status;
  bool emptyEdits = false;
  bool closeScreen = false;
  friend bool operator==(const PasswordCommandOutcome&, const PasswordCommandOutcome&) = default;
};

// "Salvar" (command 107). `error` is the validation error or the storage failure, empty on
// success; `passwordNowSet` is whether a password is stored afterwards.
PasswordCommandOutcome passwordSaveOutcome(PasswordForm form, std::string_view error,
                                           bool passwordNowSet);
// "Remover": the status of the removal, then the screen closes as with "Voltar".
PasswordCommandOutcome passwordRemoveOutcome(bool removed);
// "Voltar".
PasswordCommandOutcome passwordBackOutcome();

const char* passwordScreenHeading(bool passwordSet);
const char* unattendedHint(bool passwordSet);

}  // namespace px
