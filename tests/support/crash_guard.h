// Makes a crashing test run exit non-zero on every platform, never hang on a dialog.
#pragma once

namespace px::test {
void installCrashGuard();
}
