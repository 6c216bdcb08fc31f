// Facts about the platform the tests run on, for tests that must skip what it lacks.
#pragma once

namespace px::test {

// True inside Wine, whose imaging component ignores some encoder options (JPEG chroma
// subsampling, quality).
bool runningUnderWine();

}  // namespace px::test
