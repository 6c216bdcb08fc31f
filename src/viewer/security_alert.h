// The message box shown when the remote computer's identity does not match the one expected
// for its ID: error icon, OK only, modal to the session thread.
#pragma once

namespace px {

inline constexpr const char* kSecurityAlertCaption = "Parvolex - Alerta de segurança";
inline constexpr const char* kSecurityAlertText =
    "A identidade do computador remoto não confere com a esperada.\n\n"
    "Alguém pode estar tentando interceptar a conexão. A conexão foi cancelada.";

}  // namespace px
