#include "net/secure_channel.h"

#include <utility>

#include "net/record_layer.h"

namespace px {
namespace {

// A send buffer larger than this is released after use instead of kept for the next record.
constexpr size_t kKeptSendBufferSize = 2u << 20;

class SocketReader final : public ByteReader {
 public:
  explicit SocketReader(const std::atomic<NativeSocket>& socket) : socket_(socket) {}
  bool readExactly(MutableByteView out) override {
    const NativeSocket s = socket_.load();
    return s != kInvalidSocket && socketReceiveAll(s, out);
  }

 private:
  const std::atomic<NativeSocket>& socket_;
};

// Grows `buffer` to at least `size` without shrinking it, so reuse costs no fill.
uint8_t* sendSpace(Bytes& buffer, size_t size) {
  if (buffer.size() < size) buffer.resize(size);
  return buffer.data();
}

void releaseLargeBuffer(Bytes& buffer) {
  if (buffer.size() > kKeptSendBufferSize) Bytes().swap(buffer);
}

}  // namespace

SecureChannel::~SecureChannel() { closeChannel(*this); }

SecureChannel::SecureChannel(SecureChannel&& other) noexcept
    : socket_(other.socket_.exchange(kInvalidSocket)),
      retired_(other.retired_.exchange(kInvalidSocket)),
      sendKey_(std::move(other.sendKey_)),
      receiveKey_(std::move(other.receiveKey_)),
      sessionHash_(std::exchange(other.sessionHash_, SessionHash{})),
      sendBuffer_(std::move(other.sendBuffer_)) {}

SecureChannel& SecureChannel::operator=(SecureChannel&& other) noexcept {
  if (this != &other) {
    closeChannel(*this);
    socket_.store(other.socket_.exchange(kInvalidSocket));
    retired_.store(other.retired_.exchange(kInvalidSocket));
    sendKey_ = std::move(other.sendKey_);
    receiveKey_ = std::move(other.receiveKey_);
    sessionHash_ = std::exchange(other.sessionHash_, SessionHash{});
    sendBuffer_ = std::move(other.sendBuffer_);
  }
  return *this;
}

void SecureChannel::installKeys(RecordKey sendKey, RecordKey receiveKey, const SessionHash& hash) {
  std::lock_guard lock(sendLock_);
  sendKey_ = std::make_unique<RecordKey>(std::move(sendKey));
  receiveKey_ = std::make_unique<RecordKey>(std::move(receiveKey));
  sessionHash_ = hash;
}

bool connectTcp(SecureChannel& channel, const std::string& host, uint16_t port) {
  closeSocket(channel);
  socketClose(channel.retired_.exchange(kInvalidSocket));
  const NativeSocket s = tcpConnectIpv4(host, port);
  if (s == kInvalidSocket) return false;
  channel.socket_.store(s);
  return true;
}

bool sendRecord(SecureChannel& channel, uint8_t type, ByteView payload) {
  std::lock_guard lock(channel.sendLock_);
  const NativeSocket s = channel.socket_.load();
  if (s == kInvalidSocket) return false;
  Bytes& buffer = channel.sendBuffer_;
  size_t size;
  if (channel.sendKey_) {
    if (payload.size() > kMaxSealedPayloadLength) return false;
    size = sealedWireSize(payload.size());
    if (!sealRecordInto(*channel.sendKey_, type, payload, sendSpace(buffer, size))) return false;
  } else {
    if (payload.size() > kMaxClearPayloadLength) return false;
    size = kRecordHeaderSize + payload.size();
    uint8_t* out = sendSpace(buffer, size);
    writeRecordHeader(out, type, uint32_t(payload.size()));
    std::copy(payload.begin(), payload.end(), out + kRecordHeaderSize);
  }
  const bool sent = socketSendAll(s, ByteView(buffer.data(), size));
  releaseLargeBuffer(buffer);
  return sent;
}

bool receiveRecord(SecureChannel& channel, RecordHeader& header, Bytes& payload) {
  SocketReader reader(channel.socket_);
  return readRecord(reader, channel.receiveKey_.get(), header, payload);
}

bool sendExactly(SecureChannel& channel, ByteView data) {
  std::lock_guard lock(channel.sendLock_);
  const NativeSocket s = channel.socket_.load();
  return s != kInvalidSocket && socketSendAll(s, data);
}

bool receiveExactly(SecureChannel& channel, MutableByteView data) {
  const NativeSocket s = channel.socket();
  return s != kInvalidSocket && socketReceiveAll(s, data);
}

void setReceiveTimeout(SecureChannel& channel, uint32_t milliseconds) {
  if (channel.isOpen()) socketSetReceiveTimeout(channel.socket(), milliseconds);
}

void setKeepAlive(SecureChannel& channel, uint32_t idleMs, uint32_t intervalMs) {
  if (channel.isOpen()) socketSetKeepAlive(channel.socket(), idleMs, intervalMs);
}

void setSendBuffer(SecureChannel& channel, int bytes) {
  if (channel.isOpen() && bytes >= 1) socketSetSendBuffer(channel.socket(), bytes);
}

bool canSendNow(SecureChannel& channel) {
  return channel.isOpen() && socketWritableNow(channel.socket());
}

void closeSocket(SecureChannel& channel) {
  const NativeSocket s = channel.socket_.exchange(kInvalidSocket);
  if (s == kInvalidSocket) return;
  const NativeSocket retired = socketInterrupt(s);
  if (retired != kInvalidSocket) socketClose(channel.retired_.exchange(retired));
}

void closeChannel(SecureChannel& channel) {
  closeSocket(channel);
  socketClose(channel.retired_.exchange(kInvalidSocket));
  std::lock_guard lock(channel.sendLock_);
  channel.sendKey_.reset();
  channel.receiveKey_.reset();
}

}  // namespace px
