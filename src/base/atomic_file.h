// Whole-file reads and crash-safe whole-file writes. A write goes to a temporary file in the same
// folder, is flushed to disk, then renamed over the old file: a crash or a full disk leaves either
// the old contents or the new, never a half file, and a failed write keeps the old file.
#pragma once

#include <filesystem>

#include "base/bytes.h"

namespace px {

enum class FileAccess {
  kShared,     // default permissions
  kOwnerOnly,  // mode 0600 on POSIX (secrets); Windows relies on the per-user folder
};

bool writeFileAtomically(const std::filesystem::path& path, ByteView contents,
                         FileAccess access = FileAccess::kShared);

// False when the file is missing, unreadable or larger than `maxSize`.
bool readWholeFile(const std::filesystem::path& path, Bytes& out, size_t maxSize = 64u << 20);

}  // namespace px
