#include "support/platform_quirks.h"

#include "base/wine_detect_win.h"

namespace px::test {

bool runningUnderWine() { return px::runningUnderWine(); }

}  // namespace px::test
