// What the identity key file (identity_key_file.cpp) needs from the operating system beyond
// whole-file reads and writes: identity_key_file_posix.cpp, identity_key_file_win.cpp.
#pragma once

#include <filesystem>
#include <memory>

namespace px {

// An exclusive lock on the key's folder while alive, so two processes starting at once cannot
// both create a key and end up with different identities. Taking it may fail; the key file is
// then read or created unlocked.
class IdentityFolderLock {
 public:
  explicit IdentityFolderLock(const std::filesystem::path& folder);
  ~IdentityFolderLock();
  IdentityFolderLock(const IdentityFolderLock&) = delete;
  IdentityFolderLock& operator=(const IdentityFolderLock&) = delete;

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};

// Owner-only access to the key's folder and to a key file found readable by others (modes 0700
// and 0600 on POSIX; Windows relies on the per-user data folder).
void restrictKeyFolder(const std::filesystem::path& folder);
void restrictKeyFile(const std::filesystem::path& file);

}  // namespace px
