// The status line: one short UTF-8 text at the bottom of the main window, settable from any
// thread, and the colour of the dot drawn beside it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/host_state.h"
#include "relay/relay_status.h"
#include "ui/rgb.h"

namespace px {

// Stores the text (under the status lock), logs "[STATUS] <text>\n" and asks for a repaint
// through the installed hook. Any thread. Before a hook is installed (start-up) the text is only
// stored and logged; the first paint shows it.
void setStatus(const char* text);

// Copy of the current text, initially "Pronto". Any thread.
std::string statusText();

// Called by setStatus after the lock is released, on the caller's thread, so it must only ask the
// window system for a repaint (never paint). Null removes it. The shell installs it once the main
// window exists.
using StatusRepaintHook = void (*)();
void setStatusRepaintHook(StatusRepaintHook hook);

constexpr Rgb kStatusErrorRed{255, 95, 86};
constexpr Rgb kStatusBusyOrange{227, 82, 5};
constexpr Rgb kStatusRegisteredGreen{48, 209, 88};
constexpr Rgb kStatusIdleGrey{154, 156, 166};

// First match wins: an error word in the text ("Erro", "falhou", "recus", case-sensitive), then a
// host connection pending or active, then a registered relay; otherwise grey.
Rgb statusIndicatorColour(std::string_view text, HostState hostState, RelayStatus relayStatus);

}  // namespace px
