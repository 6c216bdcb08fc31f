#include "support/write_blocker.h"

#include "base/atomic_file.h"

namespace px::test {

WriteBlocker::WriteBlocker(const std::filesystem::path& file) {
  Bytes old;
  if (!readWholeFile(file, old) || old.empty()) return;
  engage(file);
  // Rewriting the same bytes changes nothing, so it is a safe probe.
  blocks_ = !writeFileAtomically(file, old);
}

WriteBlocker::~WriteBlocker() { release(); }

}  // namespace px::test
