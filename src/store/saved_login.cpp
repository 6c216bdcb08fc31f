#include "store/saved_login.h"

#include <filesystem>

#include <algorithm>
#include <cstring>

#include "base/atomic_file.h"
#include "base/data_folder.h"

namespace px {
namespace {

constexpr uint8_t kLoginRecordVersion = 1;
constexpr size_t kMinLoginRecord = 42;
constexpr size_t kMaxLoginName = 255;

void appendName(Bytes& out, std::string_view name) {
  name = name.substr(0, std::min(name.size(), kMaxLoginName));
  out.push_back(uint8_t(name.size()));
  appendBytes(out, asBytes(name));
}

// Reads one length-prefixed name at `pos`; false (and nothing read) when it runs past the end.
bool readName(ByteView record, size_t& pos, std::string& name) {
  if (pos >= record.size()) return false;
  const size_t length = record[pos];
  if (record.size() - pos - 1 < length) return false;
  name.assign(reinterpret_cast<const char*>(record.data() + pos + 1), length);
  pos += 1 + length;
  return true;
}

}  // namespace

SavedLogin::~SavedLogin() { secureWipe(token); }

Bytes encodeLoginRecord(const LoginToken& token, int64_t expiry, std::string_view loginName,
                        std::string_view displayName) {
  uint8_t head[1 + 8];
  head[0] = kLoginRecordVersion;
  storeLe64(head + 1, uint64_t(expiry));
  Bytes out;
  out.reserve(sizeof(head) + token.size() + 2 + 2 * kMaxLoginName);
  appendBytes(out, head);
  appendBytes(out, token);
  appendName(out, loginName);
  appendName(out, displayName);
  return out;
}

bool decodeLoginRecord(ByteView record, SavedLogin& out) {
  if (record.size() < kMinLoginRecord || record[0] != kLoginRecordVersion) return false;
  out.expiry = int64_t(loadLe64(record.data() + 1));
  std::memcpy(out.token.data(), record.data() + 9, out.token.size());
  out.loginName.clear();
  out.displayName.clear();
  size_t pos = 9 + kLoginTokenSize;
  if (readName(record, pos, out.loginName)) readName(record, pos, out.displayName);
  return true;
}

void saveLogin(const LoginToken& token, int64_t expiry, std::string_view loginName,
               std::string_view displayName) {
  Bytes plain = encodeLoginRecord(token, expiry, loginName, displayName);
  Bytes sealed;
  if (protectForCurrentUser(plain, sealed)) {
    writeFileAtomically(dataFolder() / kLoginFileName, sealed, FileAccess::kOwnerOnly);
  }
  secureWipe(plain);
}

void forgetSavedLogin() {
  std::error_code ec;
  std::filesystem::remove(dataFolder() / kLoginFileName, ec);
}

SavedLoginRestore loadSavedLogin(SavedLogin& out, int64_t now) {
  Bytes sealed, plain;
  if (!readWholeFile(dataFolder() / kLoginFileName, sealed, kMaxLoginFile) ||
      !unprotectForCurrentUser(sealed, plain))
    return SavedLoginRestore::kNothing;
  const bool decoded = decodeLoginRecord(plain, out);
  secureWipe(plain);
  if (!decoded) return SavedLoginRestore::kNothing;
  if (out.expiry > now + kLoginSpareSeconds) return SavedLoginRestore::kSession;
  secureWipe(out.token);
  out.displayName.clear();
  return SavedLoginRestore::kLastLoginName;
}

}  // namespace px
