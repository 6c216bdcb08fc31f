#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <string>
#include <system_error>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/scoped_handle.h"
#include "store/known_hosts.h"

namespace px {
namespace {

constexpr size_t kMaxKnownHostsFile = 4u << 20;

struct FdTraits {
  using Handle = int;
  static int invalid() { return -1; }
  static void close(int fd) { ::close(fd); }
};
using ScopedFd = ScopedHandle<FdTraits>;

enum class Lookup { kMissing, kFound, kDamaged };

// The first line for `name` wins, as one registry value per name would.
Lookup findKey(std::string_view contents, std::string_view name, PublicKey64& key) {
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string_view::npos) end = contents.size();
    const std::string_view line = contents.substr(start, end - start);
    start = end + 1;
    const size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos || line.substr(0, tab) != name) continue;
    Bytes raw;
    if (!fromHex(line.substr(tab + 1), raw) || raw.size() != key.size()) return Lookup::kDamaged;
    std::copy(raw.begin(), raw.end(), key.begin());
    return Lookup::kFound;
  }
  return Lookup::kMissing;
}

}  // namespace

bool checkKnownHost(std::string_view name, const PublicKey64& key) {
  // A line cannot hold these; refusing keeps one name from posing as another.
  if (name.find_first_of(std::string_view("\n\r\0", 3)) != std::string_view::npos) return false;
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
  switch (findKey(text, name, stored)) {
    case Lookup::kFound:
      return constantTimeEqual(stored, key);
    case Lookup::kDamaged:
      return false;
    case Lookup::kMissing:
      break;
  }
  if (!contents.empty() && contents.back() != '\n') contents.push_back('\n');
  const std::string line = std::string(name) + "\t" + toHex(key) + "\n";
  appendBytes(contents, asBytes(line));
  return writeFileAtomically(file, contents);
}

}  // namespace px
