// login.bin here: "PXL1", a 32-byte salt, then the record sealed with AES-256-GCM (tag last,
// "PXL1" as associated data). The key of each file is HMAC-SHA-256 keyed by the user's secret in
// login.key (32 random bytes, mode 0600, in the 0700 data folder) over a label, the machine ID,
// the user ID and the salt: the file opens only for the same user on the same computer. A fresh
// salt per save gives a fresh key, so the first nonce of the key's counter is never reused.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/scoped_fd_posix.h"
#include "crypto/crypto.h"
#include "store/saved_login.h"

namespace px {
namespace {

constexpr std::string_view kMagic = "PXL1";
constexpr std::string_view kKeyLabel = "parvolex-login-v1";
constexpr const char* kUserKeyFileName = "login.key";
constexpr size_t kSaltSize = 32;
constexpr size_t kUserKeySize = 32;

std::string machineId() {
  for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
    std::ifstream in(path);
    std::string id;
    if (in && std::getline(in, id) && !id.empty()) return id;
  }
  char host[256] = {};
  if (::gethostname(host, sizeof(host) - 1) == 0) return host;
  return {};
}

bool readUserKey(const std::filesystem::path& file, Bytes& key) {
  return readWholeFile(file, key, kUserKeySize) && key.size() == kUserKeySize;
}

// Creates the key file only when none exists: written whole under a temporary name, then linked
// into place, so that two instances racing agree on one key and a crash leaves no short key.
bool createUserKey(const std::filesystem::path& file) {
  Bytes key(kUserKeySize);
  if (!randomBytes(key)) return false;
  std::string tmp = (file.parent_path() / ".login.key.XXXXXX").string();
  ScopedFd fd(::mkstemp(tmp.data()));
  if (!fd) return false;
  const bool written = ::fchmod(fd.get(), 0600) == 0 &&
                       ::write(fd.get(), key.data(), key.size()) == ssize_t(key.size()) &&
                       ::fsync(fd.get()) == 0;
  secureWipe(key);
  fd.reset();
  const bool linked = written && (::link(tmp.c_str(), file.c_str()) == 0 || errno == EEXIST);
  ::unlink(tmp.c_str());
  return linked;
}

bool userKey(bool create, Bytes& key) {
  const std::filesystem::path file = dataFolder() / kUserKeyFileName;
  if (readUserKey(file, key)) return true;
  if (!create) return false;
  // A key of the wrong size opens nothing; left in place it would block every later save.
  std::error_code ec;
  if (std::filesystem::exists(file, ec) && std::filesystem::file_size(file, ec) != kUserKeySize)
    std::filesystem::remove(file, ec);
  return createUserKey(file) && readUserKey(file, key);
}

bool fileKey(ByteView userSecret, ByteView salt, RecordKey& key) {
  const std::string machine = machineId();
  uint8_t uid[4];
  storeLe32(uid, uint32_t(::getuid()));
  AesKey32 raw;
  const bool ok = hmacSha256(userSecret, {asBytes(kKeyLabel), asBytes(machine), uid, salt}, raw) &&
                  RecordKey::create(raw, key);
  secureWipe(raw);
  return ok;
}

}  // namespace

bool protectForCurrentUser(ByteView plain, Bytes& sealed) {
  Bytes secret;
  uint8_t salt[kSaltSize];
  RecordKey key;
  const bool keyed = userKey(true, secret) && randomBytes(salt) && fileKey(secret, salt, key);
  secureWipe(secret);
  Bytes body;
  if (!keyed || !gcmSeal(key, asBytes(kMagic), plain, body)) return false;
  sealed.clear();
  appendBytes(sealed, asBytes(kMagic));
  appendBytes(sealed, salt);
  appendBytes(sealed, body);
  return true;
}

bool unprotectForCurrentUser(ByteView sealed, Bytes& plain) {
  const size_t header = kMagic.size() + kSaltSize;
  if (sealed.size() < header + kGcmTagSize ||
      std::memcmp(sealed.data(), kMagic.data(), kMagic.size()) != 0)
    return false;
  Bytes secret;
  RecordKey key;
  const bool keyed =
      userKey(false, secret) && fileKey(secret, sealed.subspan(kMagic.size(), kSaltSize), key);
  secureWipe(secret);
  return keyed && gcmOpen(key, asBytes(kMagic), sealed.subspan(header), plain);
}

}  // namespace px
