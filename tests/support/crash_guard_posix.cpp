#include "support/crash_guard.h"

namespace px::test {
// A crash already ends the process with a signal status on POSIX.
void installCrashGuard() {}
}  // namespace px::test
