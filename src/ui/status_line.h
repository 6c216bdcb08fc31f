// The status line: one short UTF-8 text at the bottom of the main window, settable from any
// thread. The colour of the dot beside it is the shell's decision (app/status_indicator.h).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

}  // namespace px
