#include "app/viewer_ui_win.h"

namespace px {

void WinViewerUi::showSecurityAlert() {
  ShellViewerUi::showSecurityAlert();
  MessageBoxW(owner_.load(),
              L"A identidade do computador remoto n\u00e3o confere com a esperada.\n\n"
              L"Algu\u00e9m pode estar tentando interceptar a conex\u00e3o. A conex\u00e3o foi "
              L"cancelada.",
              L"Parvolex - Alerta de seguran\u00e7a", MB_ICONERROR | MB_OK);
}

}  // namespace px
