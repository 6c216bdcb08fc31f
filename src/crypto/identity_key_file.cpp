// The identity key file's format and its load-or-create rule; the locking and permissions it
// needs are per platform (identity_key_file_platform.h).
#include <algorithm>
#include <cstring>
#include <string>

#include "base/atomic_file.h"
#include "base/data_folder.h"
#include "base/log.h"
#include "base/scoped_wipe.h"
#include "crypto/identity_key_file.h"
#include "crypto/identity_key_file_platform.h"

namespace px {
namespace {

constexpr char kMagic[4] = {'P', 'X', 'I', 'D'};
constexpr uint8_t kFormat = 1;
constexpr size_t kScalarOffset = 5;
constexpr size_t kPublicOffset = kScalarOffset + 32;
constexpr size_t kFileSize = kPublicOffset + 64;  // 101

// The path as UTF-8 for the log, on every platform.
std::string printable(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

IdentityFileResult parseKeyFile(const std::filesystem::path& file, const Bytes& contents,
                                P256KeyPair& key) {
  if (contents.size() != kFileSize || std::memcmp(contents.data(), kMagic, 4) != 0 ||
      contents[4] != kFormat) {
    logPrintf("[HOST] Chave de identidade corrompida em %s (%llu bytes, formato desconhecido)\n",
              printable(file).c_str(), static_cast<unsigned long long>(contents.size()));
    return IdentityFileResult::kCorrupt;
  }
  PrivateScalar32 scalar;
  P256KeyPair loaded;
  {
    ScopedWipe wipe(scalar);
    std::copy_n(contents.begin() + kScalarOffset, scalar.size(), scalar.begin());
    loaded = P256KeyPair::fromPrivateScalar(scalar);
  }
  // The stored public half must match the private one, or the file was damaged.
  if (!loaded.valid() ||
      !std::equal(loaded.publicKey().begin(), loaded.publicKey().end(),
                  contents.begin() + kPublicOffset)) {
    logPrintf("[HOST] Chave de identidade corrompida em %s (chave privada invalida)\n",
              printable(file).c_str());
    return IdentityFileResult::kCorrupt;
  }
  key = std::move(loaded);
  return IdentityFileResult::kLoaded;
}

IdentityFileResult createKeyFile(const std::filesystem::path& file, P256KeyPair& key) {
  P256KeyPair made = P256KeyPair::generate();
  Bytes contents(kFileSize);
  ScopedWipe wipeContents(contents);
  std::memcpy(contents.data(), kMagic, 4);
  contents[4] = kFormat;
  PrivateScalar32 scalar;
  ScopedWipe wipeScalar(scalar);
  const bool exported = made.valid() && made.exportPrivateScalar(scalar);
  if (exported) {
    std::copy(scalar.begin(), scalar.end(), contents.begin() + kScalarOffset);
    std::copy(made.publicKey().begin(), made.publicKey().end(), contents.begin() + kPublicOffset);
  }
  if (!exported || !writeFileAtomically(file, contents, FileAccess::kOwnerOnly)) {
    logPrintf("[HOST] Nao foi possivel criar a chave de identidade em %s\n",
              printable(file).c_str());
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
  restrictKeyFolder(folder);
  IdentityFolderLock lock(folder);

  const std::filesystem::file_status status = std::filesystem::status(file, ec);
  if (status.type() == std::filesystem::file_type::not_found) return createKeyFile(file, key);
  if (ec) {
    logPrintf("[HOST] Chave de identidade inacessivel em %s: %s\n", printable(file).c_str(),
              ec.message().c_str());
    return IdentityFileResult::kUnavailable;
  }
  Bytes contents;
  ScopedWipe wipe(contents);
  if (!readWholeFile(file, contents, 4096)) {
    logPrintf("[HOST] Chave de identidade ilegivel em %s (%lld bytes)\n", printable(file).c_str(),
              static_cast<long long>(std::filesystem::file_size(file, ec)));
    return IdentityFileResult::kUnavailable;
  }
  restrictKeyFile(file);  // a secret only we may read
  return parseKeyFile(file, contents, key);
}

const P256KeyPair* dataFolderIdentityKey() {
  static const std::unique_ptr<P256KeyPair> key = [] {
    auto loaded = std::make_unique<P256KeyPair>();
    const IdentityFileResult result =
        loadOrCreateIdentityKeyFile(dataFolder() / "identity.key", *loaded);
    if (result != IdentityFileResult::kLoaded && result != IdentityFileResult::kCreated)
      loaded.reset();
    return loaded;
  }();
  return key.get();
}

bool fileIdentityPublicKey(PublicKey64& out) {
  const P256KeyPair* key = dataFolderIdentityKey();
  if (!key) return false;
  out = key->publicKey();
  return true;
}

bool fileIdentitySign(const Digest32& digest, Signature64& out) {
  const P256KeyPair* key = dataFolderIdentityKey();
  return key && key->sign(digest, out);
}

}  // namespace px
