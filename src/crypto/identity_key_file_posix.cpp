#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/atomic_file.h"
#include "base/log.h"
#include "base/scoped_fd_posix.h"
#include "crypto/identity_key_file.h"

namespace px {
namespace {

constexpr char kMagic[4] = {'P', 'X', 'I', 'D'};
constexpr uint8_t kFormat = 1;
constexpr size_t kScalarOffset = 5;
constexpr size_t kPublicOffset = kScalarOffset + 32;
constexpr size_t kFileSize = kPublicOffset + 64;  // 101

// Holds an exclusive lock on the key's folder, so two processes starting at once cannot both
// create a key and end up with different identities.
class FolderLock {
 public:
  explicit FolderLock(const std::filesystem::path& folder)
      : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_) {
      int rc;
      do rc = ::flock(fd_.get(), LOCK_EX);
      while (rc != 0 && errno == EINTR);
    }
  }

 private:
  ScopedFd fd_;  // closing the descriptor releases the lock
};

IdentityFileResult parseKeyFile(const std::filesystem::path& file, Bytes& contents,
                                P256KeyPair& key) {
  if (contents.size() != kFileSize || std::memcmp(contents.data(), kMagic, 4) != 0 ||
      contents[4] != kFormat) {
    logPrintf("[HOST] Chave de identidade corrompida em %s (%zu bytes, formato desconhecido)\n",
              file.c_str(), contents.size());
    return IdentityFileResult::kCorrupt;
  }
  PrivateScalar32 scalar;
  std::copy_n(contents.begin() + kScalarOffset, scalar.size(), scalar.begin());
  P256KeyPair loaded = P256KeyPair::fromPrivateScalar(scalar);
  secureWipe(scalar);
  // The stored public half must match the private one, or the file was damaged.
  if (!loaded.valid() ||
      !std::equal(loaded.publicKey().begin(), loaded.publicKey().end(),
                  contents.begin() + kPublicOffset)) {
    logPrintf("[HOST] Chave de identidade corrompida em %s (chave privada invalida)\n",
              file.c_str());
    return IdentityFileResult::kCorrupt;
  }
  key = std::move(loaded);
  return IdentityFileResult::kLoaded;
}

IdentityFileResult createKeyFile(const std::filesystem::path& file, P256KeyPair& key) {
  P256KeyPair made = P256KeyPair::generate();
  Bytes contents(kFileSize);
  std::memcpy(contents.data(), kMagic, 4);
  contents[4] = kFormat;
  PrivateScalar32 scalar;
  const bool exported = made.valid() && made.exportPrivateScalar(scalar);
  if (exported) {
    std::copy(scalar.begin(), scalar.end(), contents.begin() + kScalarOffset);
    std::copy(made.publicKey().begin(), made.publicKey().end(), contents.begin() + kPublicOffset);
  }
  secureWipe(scalar);
  const bool saved = exported && writeFileAtomically(file, contents, FileAccess::kOwnerOnly);
  secureWipe(contents);
  if (!saved) {
    logPrintf("[HOST] Nao foi possivel criar a chave de identidade em %s\n", file.c_str());
    return IdentityFileResult::kUnavailable;
  }
  key = std::move(made);
  return IdentityFileResult::kCreated;
}

}  // namespace

IdentityFileResult loadOrCreateIdentityKeyFile(const std::filesystem::path& file,
                                               P256KeyPair& key) {
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  ::chmod(folder.c_str(), 0700);
  FolderLock lock(folder);

  struct stat info {};
  if (::stat(file.c_str(), &info) != 0) {
    if (errno == ENOENT) return createKeyFile(file, key);
    logPrintf("[HOST] Chave de identidade inacessivel em %s: stat errno %d\n", file.c_str(),
              errno);
    return IdentityFileResult::kUnavailable;
  }
  Bytes contents;
  if (!readWholeFile(file, contents, 4096)) {
    logPrintf("[HOST] Chave de identidade ilegivel em %s (%lld bytes)\n", file.c_str(),
              static_cast<long long>(info.st_size));
    return IdentityFileResult::kUnavailable;
  }
  if ((info.st_mode & 077) != 0) ::chmod(file.c_str(), 0600);  // a secret only we may read
  const IdentityFileResult result = parseKeyFile(file, contents, key);
  secureWipe(contents);
  return result;
}

}  // namespace px
