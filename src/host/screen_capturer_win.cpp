// Windows capture: desktop duplication where it can start, else GDI.
#include "host/capturers_win.h"
#include "host/fallback_capturer.h"

namespace px {

std::unique_ptr<ScreenCapturer> createScreenCapturer() {
  return std::make_unique<FallbackScreenCapturer>(CapturerSource{"DXGI", createDxgiScreenCapturer},
                                                  CapturerSource{"GDI", createGdiScreenCapturer});
}

// Shown only when neither backend could open a monitor.
const char* captureFailedStatus() { return "Erro: DXGI Desktop Duplication falhou"; }

}  // namespace px
