// The line end of the program's text files: CR LF on Windows (as its C runtime's text mode
// writes them), LF elsewhere. Readers accept both.
#pragma once

#include <string_view>

namespace px {

std::string_view textLineEnd();  // text_line_end_win.cpp / text_line_end_posix.cpp

}  // namespace px
