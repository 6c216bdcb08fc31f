#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/scoped_fd_posix.h"
#include "store/known_hosts.h"
#include "store/known_hosts_file.h"

namespace px {
namespace {

constexpr size_t kMaxKnownHostsFile = 4u << 20;

}  // namespace

bool checkKnownHost(std::string_view name, const PublicKey64& key) {
  // Refusing what a line cannot hold keeps one name from posing as another.
  if (!isStorableHostName(name)) return false;
  static std::mutex threadLock;  // threads of this process
  std::lock_guard lock(threadLock);
  const std::filesystem::path folder = dataFolder();
  // Other instances of the program: the folder's lock covers read, append and rename.
  ScopedFd folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (!folderFd || ::flock(folderFd.get(), LOCK_EX) != 0) return false;

  const std::filesystem::path file = folder / kKnownHostsFileName;
  Bytes contents;
  std::error_code ec;
  if (std::filesystem::exists(file, ec) && !readWholeFile(file, contents, kMaxKnownHostsFile))
    return false;
  if (ec) return false;
  const std::string_view text(reinterpret_cast<const char*>(contents.data()), contents.size());
  PublicKey64 stored{};
  switch (findKnownHostKey(text, name, stored)) {
    case KnownHostLookup::kFound:
      return constantTimeEqual(stored, key);
    case KnownHostLookup::kDamaged:
      return false;
    case KnownHostLookup::kMissing:
      break;
  }
  if (!contents.empty() && contents.back() != '\n') contents.push_back('\n');
  appendBytes(contents, asBytes(knownHostLine(name, key)));
  return writeFileAtomically(file, contents);
}

}  // namespace px
