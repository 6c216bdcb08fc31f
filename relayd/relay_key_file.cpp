#include "relayd/relay_key_file.h"

#include <cstring>
#include <system_error>

#include "base/atomic_file.h"
#include "base/log.h"

namespace px::relayd {

bool loadOrCreateRelayKey(const std::filesystem::path& dataDir, P256KeyPair& out, bool announce) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::create_directories(dataDir, error);
  fs::permissions(dataDir, fs::perms::owner_all, fs::perm_options::replace, error);
  const fs::path file = dataDir / "relay.key";

  PrivateScalar32 scalar{};
  Bytes stored;
  if (fs::exists(file, error)) {
    if (!readWholeFile(file, stored, 64) || stored.size() != scalar.size()) {
      logPrintf("[RELAY] %s nao contem uma chave valida\n", file.c_str());
      secureWipe(stored);
      return false;
    }
    std::memcpy(scalar.data(), stored.data(), scalar.size());
    secureWipe(stored);
    out = P256KeyPair::fromPrivateScalar(scalar);
    secureWipe(scalar);
    if (!out.valid()) logPrintf("[RELAY] %s nao contem uma chave valida\n", file.c_str());
    return out.valid();
  }

  P256KeyPair made = P256KeyPair::generate();
  bool ok = made.valid() && made.exportPrivateScalar(scalar) &&
            writeFileAtomically(file, scalar, FileAccess::kOwnerOnly);
  secureWipe(scalar);
  if (!ok) {
    logPrintf("[RELAY] Nao foi possivel criar %s\n", file.c_str());
    return false;
  }
  if (announce) logPrintf("[RELAY] Nova chave do relay criada em %s\n", file.c_str());
  out = std::move(made);
  return true;
}

}  // namespace px::relayd
