#include "app/status_indicator.h"

namespace px {

Rgb statusIndicatorColour(std::string_view text, HostState hostState, RelayStatus relayStatus) {
  for (std::string_view word : {"Erro", "falhou", "recus"}) {
    if (text.find(word) != std::string_view::npos) return kStatusErrorRed;
  }
  if (hostState != HostState::kIdle) return kStatusBusyOrange;
  if (relayStatus == RelayStatus::kRegistered) return kStatusRegisteredGreen;
  return kStatusIdleGrey;
}

}  // namespace px
