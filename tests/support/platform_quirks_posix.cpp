#include "support/platform_quirks.h"

namespace px::test {

bool runningUnderWine() { return false; }

}  // namespace px::test
