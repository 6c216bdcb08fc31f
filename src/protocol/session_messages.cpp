#include "protocol/session_messages.h"

#include <algorithm>
#include <cstring>

namespace px {
namespace {

// A NUL-padded text field: the text up to its first NUL or the end of the field.
std::string readPaddedText(const uint8_t* field, size_t size) {
  const auto* end = std::find(field, field + size, uint8_t{0});
  return std::string(reinterpret_cast<const char*>(field), size_t(end - field));
}

// Copies at most size - 1 bytes so the field always ends with a NUL.
void writePaddedText(uint8_t* field, size_t size, const std::string& text) {
  std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

Bytes buildHostHello(const HostHello& m) {
  Bytes out(kHostHelloSize);
  storeLe16(&out[0], m.width);
  storeLe16(&out[2], m.height);
  out[4] = 32;
  return out;
}

std::optional<HostHello> parseHostHello(ByteView payload) {
  if (payload.size() < kHostHelloSize) return std::nullopt;
  return HostHello{loadLe16(&payload[0]), loadLe16(&payload[2])};
}

Bytes buildAccessRequest(const AccessRequest& m) {
  Bytes out(kAccessRequestSize, 0);
  writePaddedText(&out[0], 16, m.computerId);
  writePaddedText(&out[16], 64, m.displayName);
  std::memcpy(&out[80], m.proof.data(), m.proof.size());
  return out;
}

std::optional<AccessRequest> parseAccessRequest(ByteView payload) {
  if (payload.size() < kAccessRequestSize) return std::nullopt;
  AccessRequest m;
  m.computerId = readPaddedText(&payload[0], 16);
  m.displayName = readPaddedText(&payload[16], 64);
  std::memcpy(m.proof.data(), &payload[80], m.proof.size());
  return m;
}

Bytes buildAccessReply(const AccessReply& m) {
  return Bytes{uint8_t(m.accepted ? 1 : 0), uint8_t(m.accepted && m.control ? 1 : 0)};
}

std::optional<AccessReply> parseAccessReply(ByteView payload) {
  if (payload.size() < kAccessReplySize) return std::nullopt;
  const bool accepted = payload[0] != 0;
  return AccessReply{accepted, accepted && (payload[1] & 1) != 0};
}

Bytes buildPasswordParams(const PasswordParams& m) {
  Bytes out(kPasswordParamsSize);
  std::memcpy(&out[0], m.salt.data(), m.salt.size());
  storeLe32(&out[16], m.iterations);
  return out;
}

std::optional<PasswordParams> parsePasswordParams(ByteView payload) {
  if (payload.size() < kPasswordParamsSize) return std::nullopt;
  PasswordParams m;
  std::memcpy(m.salt.data(), &payload[0], m.salt.size());
  m.iterations = loadLe32(&payload[16]);
  return m;
}

bool buildCursorShape(const CursorShape& m, Bytes& payload) {
  if (m.pixels.size() != size_t(m.width) * m.height * 4) return false;
  payload.assign(kCursorShapeHeaderSize, 0);
  storeLe16(&payload[0], m.width);
  storeLe16(&payload[2], m.height);
  storeLe16(&payload[4], m.hotX);
  storeLe16(&payload[6], m.hotY);
  appendBytes(payload, m.pixels);
  return true;
}

std::optional<CursorShape> parseCursorShape(ByteView payload) {
  if (payload.size() < kCursorShapeHeaderSize) return std::nullopt;
  CursorShape m;
  m.width = loadLe16(&payload[0]);
  m.height = loadLe16(&payload[2]);
  m.hotX = loadLe16(&payload[4]);
  m.hotY = loadLe16(&payload[6]);
  // 64-bit product: 65535 * 65535 * 4 does not fit 32 bits. Checked before anything is copied,
  // so the copy is bounded by the payload the sender actually paid for.
  const uint64_t pixelBytes = uint64_t(m.width) * m.height * 4;
  if (pixelBytes > payload.size() - kCursorShapeHeaderSize) return std::nullopt;
  m.pixels.assign(payload.begin() + kCursorShapeHeaderSize,
                  payload.begin() + kCursorShapeHeaderSize + size_t(pixelBytes));
  return m;
}

bool buildMonitorList(const MonitorList& m, Bytes& payload) {
  if (m.monitors.empty() || m.monitors.size() > size_t(kMaxMonitors)) return false;
  payload.assign(2 + 4 * m.monitors.size(), 0);
  payload[0] = uint8_t(m.monitors.size());
  payload[1] = m.current;
  for (size_t i = 0; i < m.monitors.size(); ++i) {
    storeLe16(&payload[2 + 4 * i], m.monitors[i].width);
    storeLe16(&payload[4 + 4 * i], m.monitors[i].height);
  }
  return true;
}

std::optional<MonitorList> parseMonitorList(ByteView payload) {
  if (payload.size() < 2) return std::nullopt;
  const size_t count = payload[0];
  if (count > size_t(kMaxMonitors) || payload.size() < 2 + 4 * count) return std::nullopt;
  MonitorList m;
  m.current = payload[1];
  for (size_t i = 0; i < count; ++i) {
    m.monitors.push_back({loadLe16(&payload[2 + 4 * i]), loadLe16(&payload[4 + 4 * i])});
  }
  return m;
}

Bytes buildMonitorSelected(const MonitorSelected& m) {
  Bytes out(kMonitorSelectedSize);
  out[0] = m.index;
  storeLe16(&out[1], m.width);
  storeLe16(&out[3], m.height);
  return out;
}

std::optional<MonitorSelected> parseMonitorSelected(ByteView payload) {
  if (payload.size() < kMonitorSelectedSize) return std::nullopt;
  MonitorSelected m{payload[0], loadLe16(&payload[1]), loadLe16(&payload[3])};
  if (m.width == 0 || m.height == 0) return std::nullopt;
  return m;
}

Bytes buildMouseInput(const MouseInput& m) {
  Bytes out(kMouseInputSize);
  storeLe32(&out[0], uint32_t(m.x));
  storeLe32(&out[4], uint32_t(m.y));
  storeLe32(&out[8], m.buttons);
  storeLe32(&out[12], uint32_t(m.wheelDelta));
  out[16] = m.action;
  return out;
}

std::optional<MouseInput> parseMouseInput(ByteView payload) {
  if (payload.size() < kMouseInputSize) return std::nullopt;
  MouseInput m;
  m.x = int32_t(loadLe32(&payload[0]));
  m.y = int32_t(loadLe32(&payload[4]));
  m.buttons = loadLe32(&payload[8]);
  m.wheelDelta = int32_t(loadLe32(&payload[12]));
  m.action = payload[16];
  return m;
}

Bytes buildKeyInput(const KeyInput& m) {
  Bytes out(kKeyInputSize);
  storeLe16(&out[0], m.virtualKey);
  storeLe16(&out[2], m.scanCode);
  out[4] = m.down ? 1 : 0;
  out[5] = m.extended ? 1 : 0;
  return out;
}

std::optional<KeyInput> parseKeyInput(ByteView payload) {
  if (payload.size() < kKeyInputSize) return std::nullopt;
  return KeyInput{loadLe16(&payload[0]), loadLe16(&payload[2]), payload[4] != 0, payload[5] != 0};
}

Bytes buildSelectMonitor(const SelectMonitor& m) { return Bytes{m.index}; }

std::optional<SelectMonitor> parseSelectMonitor(ByteView payload) {
  if (payload.empty()) return std::nullopt;
  return SelectMonitor{payload[0]};
}

bool buildChatText(std::string_view text, Bytes& payload) {
  if (text.empty() || text.size() > kMaxChatBytes) return false;
  payload.assign(text.begin(), text.end());
  return true;
}

std::optional<std::string> parseChatText(ByteView payload) {
  if (payload.empty() || payload.size() > kMaxChatBytes) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(payload.data()), payload.size());
}

}  // namespace px
