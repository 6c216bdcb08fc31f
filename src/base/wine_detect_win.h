// Whether this process runs under Wine: Wine's ntdll exports its version, Windows' does not.
// Used only where Wine's behaviour differs in a way the program must work around.
#pragma once

namespace px {

bool runningUnderWine();

}  // namespace px
