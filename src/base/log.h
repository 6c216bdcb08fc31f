// The process log: tagged UTF-8 lines ("[RELAY] ...\n") appended to Parvolex.log in the data
// folder and echoed to standard output. Callable from any thread; each line is one write.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>

namespace px {

constexpr const char* kLogFileName = "Parvolex.log";

// Opens `file` for appending and writes the run's header line ("\n---- YYYY-MM-DD hh:mm:ss pid N
// ----\n", local time). Replaces a log opened before. When the file cannot be opened, or another
// process is writing it (a second instance), lines go to standard output only.
void openLog(const std::filesystem::path& file);

// Stops writing to the file (tests that point the log into a scratch folder).
void closeLog();

// Format strings carry their own tag and trailing "\n". Write errors are ignored, and a process
// without a standard output loses nothing but that copy.
void logPrintf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using LogStream = std::unique_ptr<std::FILE, FileCloser>;

// Opens a log file for appending so that other processes may read it but no second writer can
// open it (null then). Text mode: on Windows every "\n" is stored as CR LF. log_win.cpp /
// log_posix.cpp.
LogStream openLogStream(const std::filesystem::path& file);

}  // namespace px
