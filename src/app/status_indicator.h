// The colour of the dot beside the status line, from the text and the host and relay state.
#pragma once

#include <string_view>

#include "host/host_state.h"
#include "relay/relay_status.h"
#include "ui/rgb.h"

namespace px {

constexpr Rgb kStatusErrorRed{255, 95, 86};
constexpr Rgb kStatusBusyOrange{227, 82, 5};
constexpr Rgb kStatusRegisteredGreen{48, 209, 88};
constexpr Rgb kStatusIdleGrey{154, 156, 166};

// First match wins: an error word in the text ("Erro", "falhou", "recus", case-sensitive), then a
// host connection pending or active, then a registered relay; otherwise grey.
Rgb statusIndicatorColour(std::string_view text, HostState hostState, RelayStatus relayStatus);

}  // namespace px
