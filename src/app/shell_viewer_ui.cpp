#include "app/shell_viewer_ui.h"

#include "base/log.h"
#include "ui/status_line.h"

namespace px {

bool ShellViewerUi::appRunning() { return !links_.appRunning || links_.appRunning->load(); }

void ShellViewerUi::setStatus(const std::string& text) { px::setStatus(text.c_str()); }

void ShellViewerUi::loginExpired() {
  if (links_.reports) links_.reports->loginExpired();
}

void ShellViewerUi::showSecurityAlert() {
  logPrintf("[VIEWER] ALERTA: a identidade do computador remoto nao confere com a esperada\n");
}

// The main window shows its ready text only when nothing else is going on: no other viewer
// session is live and this computer is not serving one.
void ShellViewerUi::sessionEnded(ViewerSession& session) {
  if (links_.hostState && links_.hostState() != HostState::kIdle) return;
  if (links_.sessions && links_.sessions->anyOtherLive(session)) return;
  if (links_.reports) links_.reports->sessionEnded(false);
}

std::string ShellViewerUi::ownComputerId() { return links_.ownId ? links_.ownId() : std::string(); }

void ShellViewerUi::thumbnailSaved(const std::string&) {
  if (links_.reports) links_.reports->recentsChanged();
}

bool ShellViewerUi::createWindow(ViewerSession& session) {
  logPrintf("[VIEWER] Sem janela de visualizacao para %s\n", session.remoteId.c_str());
  return false;
}

bool ShellViewerUi::initRenderer(ViewerSession&) { return false; }

bool ShellViewerUi::runOnce(ViewerSession&) { return false; }

}  // namespace px
