#include "relay/relay_config.h"

#include <cctype>
#include <cstdio>

#include "base/log.h"
#include "relay/executable_folder.h"
#include "relay/known_host_link.h"

namespace px {
namespace {

constexpr size_t kMaxConfigLine = 511;

RelayConfig& config() {
  static RelayConfig value = builtInRelayConfig();
  return value;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = char(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Leading decimal digits as a number kept to 16 bits; none gives 0.
uint16_t leadingPort(std::string_view text) {
  uint32_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = (value * 10 + uint32_t(c - '0')) & 0xFFFFFF;  // keep the low bits; only 16 survive
  }
  return uint16_t(value);
}

}  // namespace

const RelayConfig& relayConfig() { return config(); }
void setRelayConfig(const RelayConfig& value) { config() = value; }

RelayConfig builtInRelayConfig() {
  RelayConfig value;
  value.primaryHost = PX_RELAY_PRIMARY_HOST;
  value.fallbackHost = PX_RELAY_FALLBACK_HOST;
  value.port = uint16_t(PX_RELAY_PORT);
  value.pinnedKeyPresent = parseRelayKeyHex(PX_RELAY_KEY, value.pinnedKey);
  return value;
}

bool parseRelayKeyHex(std::string_view text, PublicKey64& out) {
  if (text.size() != 2 * out.size()) return false;
  PublicKey64 parsed;
  for (size_t i = 0; i < parsed.size(); ++i) {
    const int high = hexValue(text[2 * i]), low = hexValue(text[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    parsed[i] = uint8_t(high << 4 | low);
  }
  out = parsed;
  return true;
}

bool applyRelayConfigLine(std::string line, RelayConfig& value) {
  if (line.size() > kMaxConfigLine) line.resize(kMaxConfigLine);
  while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) line.pop_back();

  const size_t gap = line.find_first_of(" \t");
  if (gap != std::string::npos) {
    const size_t keyStart = line.find_first_not_of(" \t", gap);
    const std::string keyText = keyStart == std::string::npos ? std::string() : line.substr(keyStart);
    if (parseRelayKeyHex(keyText, value.pinnedKey)) {
      value.pinnedKeyPresent = true;
    } else {
      logPrintf("[RELAY] Chave do relay em relay.cfg invalida, ignorada\n");
    }
    line.resize(gap);
  }
  if (line.empty()) return false;

  value.fallbackHost.clear();  // a configured relay never falls back to the built-in one
  const size_t colon = line.find(':');
  if (colon != std::string::npos) {
    value.primaryHost = line.substr(0, colon);
    value.port = leadingPort(std::string_view(line).substr(colon + 1));
  } else {
    value.primaryHost = line;
  }
  return !value.primaryHost.empty();
}

bool loadRelayConfigFrom(const std::filesystem::path& file) {
  RelayConfig value = builtInRelayConfig();
  bool supplied = false;
  if (FILE* f = std::fopen(file.string().c_str(), "rb")) {
    char buffer[kMaxConfigLine + 1] = {};
    const bool read = std::fgets(buffer, sizeof buffer, f) != nullptr;
    std::fclose(f);
    if (read) {
      std::string line(buffer);
      // Only the first line counts.
      if (const size_t end = line.find('\n'); end != std::string::npos) line.resize(end);
      supplied = applyRelayConfigLine(line, value);
    }
  }
  config() = value;
  return supplied;
}

bool loadRelayConfig() { return loadRelayConfigFrom(executableFolder() / "relay.cfg"); }

bool connectRelay(SecureChannel& channel) {
  const RelayConfig& value = relayConfig();
  if (connectTcp(channel, value.primaryHost, value.port)) return true;
  if (value.fallbackHost.empty()) return false;
  logPrintf("[RELAY] %s inacessivel, tentando %s\n", value.primaryHost.c_str(), value.fallbackHost.c_str());
  return connectTcp(channel, value.fallbackHost, value.port);
}

bool relayKeyTrusted(const PublicKey64& key) {
  const RelayConfig& value = relayConfig();
  if (value.pinnedKeyPresent) return constantTimeEqual(key, value.pinnedKey);
  return relayCheckKnownHost("relay-server:" + value.primaryHost + ":" + std::to_string(value.port), key);
}

}  // namespace px
