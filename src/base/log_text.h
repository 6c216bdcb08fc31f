// Makes text that came from the other end of a connection safe to put in a log line or on a
// terminal: it can neither start a line of its own nor drive the terminal.
#pragma once

#include <string>
#include <string_view>

namespace px {

// Valid UTF-8 passes unchanged except for control characters: "\n", "\r", "\t" and "\\" keep
// their C spelling, every other C0 control, DEL, C1 control (U+0080..U+009F) and byte that is not
// part of valid UTF-8 becomes "\xHH" (one per byte, lower-case hex).
std::string escapeForLog(std::string_view text);

}  // namespace px
