// The process log: tagged UTF-8 lines ("[RELAY] ...\n") appended to Parvolex.log in the data
// folder and echoed to standard output. Callable from any thread; each line is one write.
#pragma once

#include <filesystem>

namespace px {

// Opens the log file for appending and writes the run's header line. Without this (or when the
// file cannot be opened) lines go to standard output only.
void openLog(const std::filesystem::path& file);

// Format strings carry their own tag and trailing "\n".
void logPrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace px
