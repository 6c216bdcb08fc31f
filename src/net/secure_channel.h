// One TCP connection with its optional record keys, session hash and send lock: viewer to host
// through the relay's tunnel, or either side to the relay before that.
//
// Records on the stream once keys are installed:
//   L (u32 LE, = 10 + n + 16) | AES-256-GCM(header ‖ payload) | tag      aad = the 4 bytes of L
// Clear records (no keys): header ‖ payload, no length prefix, no tag.
// Header: "XVRP", version (3 when sending), message type, payload length n (u32 LE).
//
// Threads: any number of threads may send (the send lock keeps records whole and the nonce
// counter in step with the wire); one thread at a time receives.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "crypto/crypto.h"
#include "net/tcp_socket.h"

namespace px {

constexpr uint8_t kRecordVersion = 3;
constexpr size_t kRecordHeaderSize = 10;
constexpr uint32_t kMinSealedRecordLength = kRecordHeaderSize + kGcmTagSize;  // 26
constexpr uint32_t kMaxSealedRecordLength = 0x4000000;                      // 64 MiB
// Clear records are only exchanged before a handshake; nothing that small protocol needs comes
// near this, and a peer must not make us allocate more.
constexpr uint32_t kMaxClearPayloadLength = 1u << 20;

struct RecordHeader {
  uint8_t version = 0;
  uint8_t type = 0;
  uint32_t length = 0;
};

class SecureChannel {
 public:
  SecureChannel() = default;
  // Takes ownership of a connected socket.
  explicit SecureChannel(NativeSocket socket) : socket_(socket) {}
  ~SecureChannel();
  SecureChannel(const SecureChannel&) = delete;
  SecureChannel& operator=(const SecureChannel&) = delete;
  // Socket, keys and session hash move; the source is left closed and keyless; the send lock is
  // fresh. Not safe while another thread uses either channel.
  SecureChannel(SecureChannel&& other) noexcept;
  SecureChannel& operator=(SecureChannel&& other) noexcept;

  bool isOpen() const { return socket_.load() != kInvalidSocket; }
  NativeSocket socket() const { return socket_.load(); }
  bool hasKeys() const { return sendKey_ && receiveKey_; }
  const SessionHash& sessionHash() const { return sessionHash_; }
  // Next nonce counters, for diagnostics; 0 without keys. Read them only while no other thread
  // sends (send counter) or receives (receive counter).
  uint64_t sendCounter() const { return sendKey_ ? sendKey_->counter() : 0; }
  uint64_t receiveCounter() const { return receiveKey_ ? receiveKey_->counter() : 0; }

  // Replaces both keys (destroying any previous ones) and copies the session hash in.
  void installKeys(RecordKey sendKey, RecordKey receiveKey, const SessionHash& hash);

 private:
  friend bool sendRecord(SecureChannel&, uint8_t, ByteView);
  friend bool receiveRecord(SecureChannel&, RecordHeader&, Bytes&);
  friend bool sendExactly(SecureChannel&, ByteView);
  friend bool connectTcp(SecureChannel&, const std::string&, uint16_t);
  friend void closeSocket(SecureChannel&);
  friend void closeChannel(SecureChannel&);

  // Atomic so that closeSocket from one thread and a receive in another do not race on it.
  std::atomic<NativeSocket> socket_{kInvalidSocket};
  // A socket closeSocket shut down but did not release (where shutting down wakes blocked
  // threads): another thread may still be about to call recv on its number, which must not be
  // reused by a new socket until the owner is done (closeChannel, connectTcp, destruction).
  std::atomic<NativeSocket> retired_{kInvalidSocket};
  std::unique_ptr<RecordKey> sendKey_;     // guarded by sendLock_ while sending
  std::unique_ptr<RecordKey> receiveKey_;  // used by the one receiving thread
  SessionHash sessionHash_{};
  std::mutex sendLock_;
  Bytes sendBuffer_;  // guarded by sendLock_; reused so large records are not reallocated
};

// IPv4 only; a dotted address or a name resolved for IPv4. Sets TCP_NODELAY.
bool connectTcp(SecureChannel& channel, const std::string& host, uint16_t port);
bool sendRecord(SecureChannel& channel, uint8_t type, ByteView payload);
// Any version byte is accepted and handed back in `header`.
bool receiveRecord(SecureChannel& channel, RecordHeader& header, Bytes& payload);

// Unframed exchanges: the handshake and the relay protocols.
bool sendExactly(SecureChannel& channel, ByteView data);
bool receiveExactly(SecureChannel& channel, MutableByteView data);

void setReceiveTimeout(SecureChannel& channel, uint32_t milliseconds);  // 0 = no limit
void setKeepAlive(SecureChannel& channel, uint32_t idleMs, uint32_t intervalMs);
void setSendBuffer(SecureChannel& channel, int bytes);  // ignored below 1
// Writable right now (zero-wait check); the host's frame loop holds frames back while false.
bool canSendNow(SecureChannel& channel);
// Shuts down both directions, so the peer sees the end and a thread blocked receiving or sending
// wakes, and leaves the channel closed; keys stay. On POSIX the descriptor itself is released by
// closeChannel (or connectTcp, or destruction), so a thread still receiving never reads from a
// new socket that reused its number; Winsock needs the close itself to wake such a thread.
void closeSocket(SecureChannel& channel);
// closeSocket and releases the descriptor, then destroys both keys. Also done by the destructor.
// The owner calls it only once no other thread can still be using the channel.
void closeChannel(SecureChannel& channel);

}  // namespace px
