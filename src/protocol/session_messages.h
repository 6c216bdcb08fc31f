// Session messages exchanged after the handshake: one record per message, the record header
// carrying the type. Every payload is built and parsed here. Parsers read only inside the span they
// are given, check the length before every field, ignore trailing bytes, and return nothing when
// the payload is too short or breaks the message's own limits.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/bytes.h"
#include "protocol/input_events.h"
#include "protocol/monitor_limit.h"

namespace px {

enum class MessageType : uint8_t {
  kHostHello = 0x01,
  kViewerReady = 0x02,
  kAccessRequest = 0x03,
  kAccessReply = 0x04,
  kPasswordParams = 0x05,
  kFrameUpdate = 0x10,
  kCursorShape = 0x13,
  kMonitorList = 0x14,
  kMonitorSelected = 0x15,
  kMouseInput = 0x20,
  kKeyInput = 0x21,
  kSelectMonitor = 0x22,
  kChatText = 0x31,
  kPing = 0xF0,
  kPong = 0xF1,
  kBye = 0xFF,
};

// ViewerReady, Ping, Pong and Bye carry no payload; receivers accept any.

struct HostHello {
  uint16_t width = 0;
  uint16_t height = 0;
};
inline constexpr size_t kHostHelloSize = 5;

struct AccessRequest {
  std::string computerId;           // at most 15 bytes travel
  std::string displayName;          // at most 63 bytes travel (a multi-byte character may be cut)
  std::array<uint8_t, 32> proof{};  // all zero when no password is offered
};
inline constexpr size_t kAccessRequestSize = 112;

struct AccessReply {
  bool accepted = false;
  bool control = false;  // always false when refused
};
inline constexpr size_t kAccessReplySize = 2;

struct PasswordParams {
  std::array<uint8_t, 16> salt{};
  uint32_t iterations = 0;
};
inline constexpr size_t kPasswordParamsSize = 20;

struct CursorShape {
  uint16_t width = 0;
  uint16_t height = 0;
  uint16_t hotX = 0;
  uint16_t hotY = 0;
  Bytes pixels;  // width * height * 4 bytes, B G R A, rows top to bottom
};
inline constexpr size_t kCursorShapeHeaderSize = 8;

struct MonitorSize {
  uint16_t width = 0;
  uint16_t height = 0;
};

struct MonitorList {
  uint8_t current = 0;                // as sent; may be >= the count (receivers then take 0)
  std::vector<MonitorSize> monitors;  // at most kMaxMonitors entries
};

struct MonitorSelected {
  uint8_t index = 0;
  uint16_t width = 0;  // never 0 after parsing
  uint16_t height = 0;
};
inline constexpr size_t kMonitorSelectedSize = 5;

// The injector's event types are the messages' fields.
using MouseInput = MouseEvent;
inline constexpr size_t kMouseInputSize = 17;

using KeyInput = KeyEvent;
inline constexpr size_t kKeyInputSize = 6;

struct SelectMonitor {
  uint8_t index = 0;
};

inline constexpr size_t kMaxChatBytes = 8000;

Bytes buildHostHello(const HostHello& m);
std::optional<HostHello> parseHostHello(ByteView payload);

Bytes buildAccessRequest(const AccessRequest& m);
std::optional<AccessRequest> parseAccessRequest(ByteView payload);

Bytes buildAccessReply(const AccessReply& m);
std::optional<AccessReply> parseAccessReply(ByteView payload);

Bytes buildPasswordParams(const PasswordParams& m);
std::optional<PasswordParams> parsePasswordParams(ByteView payload);

// False (nothing built) when the pixel count does not match the size.
bool buildCursorShape(const CursorShape& m, Bytes& payload);
std::optional<CursorShape> parseCursorShape(ByteView payload);

// False when the list is empty or longer than kMaxMonitors.
bool buildMonitorList(const MonitorList& m, Bytes& payload);
// Nothing for a count above kMaxMonitors or fewer than 2 + 4 * count bytes.
std::optional<MonitorList> parseMonitorList(ByteView payload);

Bytes buildMonitorSelected(const MonitorSelected& m);
// Nothing when shorter than 5 bytes or when the width or height is 0.
std::optional<MonitorSelected> parseMonitorSelected(ByteView payload);

Bytes buildMouseInput(const MouseInput& m);
std::optional<MouseInput> parseMouseInput(ByteView payload);

Bytes buildKeyInput(const KeyInput& m);
std::optional<KeyInput> parseKeyInput(ByteView payload);

Bytes buildSelectMonitor(const SelectMonitor& m);
std::optional<SelectMonitor> parseSelectMonitor(ByteView payload);

// False for empty text or text longer than kMaxChatBytes.
bool buildChatText(std::string_view text, Bytes& payload);
// The text as sent (UTF-8, unchecked); nothing when empty or longer than kMaxChatBytes.
std::optional<std::string> parseChatText(ByteView payload);

}  // namespace px
