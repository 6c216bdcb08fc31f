#include "store/password_store.h"

#include <cstring>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "base/atomic_file.h"
#include "base/data_folder.h"

namespace px {
namespace {

constexpr std::string_view kCurrentMagic = "PXP2";
constexpr std::string_view kLegacyMagic = "PXPW";
constexpr size_t kCurrentFileSize = 4 + kPasswordSaltSize + 4 + 32;
constexpr size_t kLegacyFileSize = 4 + kPasswordSaltSize + 32;
constexpr size_t kMaxFileRead = 4096;

PasswordRecord store;  // guarded by passwordStoreLock()

std::filesystem::path passwordFile() { return dataFolder() / kPasswordFileName; }

bool startsWith(ByteView data, std::string_view magic) {
  return data.size() >= magic.size() && std::memcmp(data.data(), magic.data(), magic.size()) == 0;
}

}  // namespace

std::mutex& passwordStoreLock() {
  static std::mutex lock;
  return lock;
}

Bytes encodePasswordFile(const PasswordRecord& record) {
  Bytes out;
  out.reserve(kCurrentFileSize);
  appendBytes(out, asBytes(kCurrentMagic));
  appendBytes(out, record.salt);
  appendLe32(out, record.iterations);
  appendBytes(out, record.hash);
  return out;
}

PasswordRecord decodePasswordFile(ByteView file) {
  PasswordRecord record;
  const uint8_t* p = file.data();
  if (startsWith(file, kCurrentMagic) && file.size() >= kCurrentFileSize) {
    std::memcpy(record.salt.data(), p + 4, kPasswordSaltSize);
    record.iterations = loadLe32(p + 4 + kPasswordSaltSize);
    std::memcpy(record.hash.data(), p + 8 + kPasswordSaltSize, record.hash.size());
    record.hasPassword = record.iterations >= 1 && record.iterations <= kMaxPasswordIterations;
  } else if (startsWith(file, kLegacyMagic) && file.size() >= kLegacyFileSize) {
    std::memcpy(record.salt.data(), p + 4, kPasswordSaltSize);
    record.iterations = kLegacyPasswordIterations;
    std::memcpy(record.hash.data(), p + 4 + kPasswordSaltSize, record.hash.size());
    record.hasPassword = true;
  }
  return record;
}

void loadPasswordStore() {
  std::lock_guard lock(passwordStoreLock());
  store = PasswordRecord{};
  Bytes file;
  if (readWholeFile(passwordFile(), file, kMaxFileRead)) store = decodePasswordFile(file);
  secureWipe(file);
}

bool setAccessPassword(ByteView password) {
  std::lock_guard lock(passwordStoreLock());
  if (password.empty()) {
    // A file left behind would bring the password back at the next start.
    std::error_code ec;
    std::filesystem::remove(passwordFile(), ec);
    if (ec) return false;
    store = PasswordRecord{};
    return true;
  }
  PasswordRecord fresh;
  fresh.hasPassword = true;
  fresh.iterations = kPasswordIterations;
  if (!randomBytes(fresh.salt) || !pbkdf2Sha256(password, fresh.salt, fresh.iterations, fresh.hash))
    return false;
  Bytes file = encodePasswordFile(fresh);
  const bool written = writeFileAtomically(passwordFile(), file, FileAccess::kOwnerOnly);
  secureWipe(file);
  if (!written) return false;
  store = fresh;
  return true;
}

PasswordRecord readPasswordStoreLocked() { return store; }

PasswordRecord readPasswordStore() {
  std::lock_guard lock(passwordStoreLock());
  return store;
}

}  // namespace px
