#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "net/channel_pair.h"
#include "net/record_layer.h"

namespace px {
namespace {

using test::connectPair;
using test::filledKey;
using test::installTestKeys;
using test::makeRecordKey;

const AesKey32 kKeyAtoB = filledKey(0x11);
const AesKey32 kKeyBtoA = filledKey(0x22);

class SecureChannelTest : public ::testing::Test {
 protected:
  void SetUp() override { connectPair(a_, b_); }
  void useKeys() { installTestKeys(a_, b_, kKeyAtoB, kKeyBtoA); }

  SecureChannel a_, b_;
};

Bytes pattern(size_t size, uint8_t seed) {
  Bytes out(size);
  for (size_t i = 0; i < size; ++i) out[i] = uint8_t(seed + i * 7);
  return out;
}

TEST_F(SecureChannelTest, SealedRecordsBothWays) {
  useKeys();
  for (size_t size : {size_t(0), size_t(1), size_t(1000), size_t(300000)}) {
    const Bytes sent = pattern(size, uint8_t(size));
    ASSERT_TRUE(sendRecord(a_, 0x42, sent));
    RecordHeader header;
    Bytes received;
    ASSERT_TRUE(receiveRecord(b_, header, received));
    EXPECT_EQ(header.version, kRecordVersion);
    EXPECT_EQ(header.type, 0x42);
    EXPECT_EQ(header.length, size);
    EXPECT_EQ(received, sent);

    ASSERT_TRUE(sendRecord(b_, 0x43, sent));
    ASSERT_TRUE(receiveRecord(a_, header, received));
    EXPECT_EQ(header.type, 0x43);
    EXPECT_EQ(received, sent);
  }
}

TEST_F(SecureChannelTest, ClearRecordsBothWays) {
  const Bytes sent = pattern(77, 3);
  ASSERT_TRUE(sendRecord(a_, 9, sent));
  ASSERT_TRUE(sendRecord(b_, 10, {}));
  RecordHeader header;
  Bytes received;
  ASSERT_TRUE(receiveRecord(b_, header, received));
  EXPECT_EQ(header.type, 9);
  EXPECT_EQ(received, sent);
  ASSERT_TRUE(receiveRecord(a_, header, received));
  EXPECT_EQ(header.type, 10);
  EXPECT_TRUE(received.empty());
}

TEST_F(SecureChannelTest, EmptyPayloadHasLength26OnTheWire) {
  a_.installKeys(makeRecordKey(kKeyAtoB), makeRecordKey(kKeyBtoA), SessionHash{});
  ASSERT_TRUE(sendRecord(a_, 1, {}));
  uint8_t wire[30];
  ASSERT_TRUE(receiveExactly(b_, wire));
  EXPECT_EQ(loadLe32(wire), 26u);
  RecordKey opener = makeRecordKey(kKeyAtoB);
  uint8_t plain[14];
  RecordHeader header;
  ASSERT_TRUE(openSealedRecord(opener, wire, ByteView(wire + 4, 26), plain, header));
  EXPECT_EQ(header.length, 0u);
}

// An out-of-range L is refused before anything past the 4 length bytes is read: the bytes that
// follow are still there for the next read.
TEST_F(SecureChannelTest, OutOfRangeLengthRejectedAfterFourBytes) {
  useKeys();
  for (uint32_t length : {25u, 0u, 67108865u, 0xffffffffu}) {
    uint8_t wire[8];
    storeLe32(wire, length);
    std::memcpy(wire + 4, "next", 4);
    ASSERT_TRUE(sendExactly(a_, wire));
    RecordHeader header;
    Bytes payload;
    EXPECT_FALSE(receiveRecord(b_, header, payload)) << length;
    uint8_t rest[4];
    ASSERT_TRUE(receiveExactly(b_, rest));
    EXPECT_EQ(std::memcmp(rest, "next", 4), 0);
  }
}

TEST_F(SecureChannelTest, AnyVersionByteIsHandedThrough) {
  useKeys();
  RecordKey sealer = makeRecordKey(kKeyAtoB);
  for (uint8_t version : {uint8_t(0), uint8_t(2), uint8_t(7), uint8_t(255)}) {
    uint8_t wire[4 + 13 + 16];
    storeLe32(wire, 29);
    writeRecordHeader(wire + 4, 5, 3);
    wire[4 + 4] = version;
    std::memcpy(wire + 14, "abc", 3);
    ASSERT_TRUE(gcmSeal(sealer, ByteView(wire, 4), ByteView(wire + 4, 13), wire + 4));
    ASSERT_TRUE(sendExactly(a_, wire));
    RecordHeader header;
    Bytes payload;
    ASSERT_TRUE(receiveRecord(b_, header, payload));
    EXPECT_EQ(header.version, version);
    EXPECT_EQ(payload, Bytes({'a', 'b', 'c'}));
  }
}

// The tag is valid, but the header's length disagrees with L.
TEST_F(SecureChannelTest, InnerLengthMismatchRejectedDespiteValidTag) {
  useKeys();
  RecordKey sealer = makeRecordKey(kKeyAtoB);
  uint8_t wire[4 + 14 + 16];
  storeLe32(wire, 30);
  writeRecordHeader(wire + 4, 5, 3);  // says 3, carries 4
  std::memcpy(wire + 14, "abcd", 4);
  ASSERT_TRUE(gcmSeal(sealer, ByteView(wire, 4), ByteView(wire + 4, 14), wire + 4));
  ASSERT_TRUE(sendExactly(a_, wire));
  RecordHeader header;
  Bytes payload;
  EXPECT_FALSE(receiveRecord(b_, header, payload));
}

TEST_F(SecureChannelTest, WrongMagicRejectedDespiteValidTag) {
  useKeys();
  RecordKey sealer = makeRecordKey(kKeyAtoB);
  uint8_t wire[4 + 10 + 16];
  storeLe32(wire, 26);
  writeRecordHeader(wire + 4, 5, 0);
  wire[4] = 'Y';
  ASSERT_TRUE(gcmSeal(sealer, ByteView(wire, 4), ByteView(wire + 4, 10), wire + 4));
  ASSERT_TRUE(sendExactly(a_, wire));
  RecordHeader header;
  Bytes payload;
  EXPECT_FALSE(receiveRecord(b_, header, payload));
}

TEST_F(SecureChannelTest, ClearHeaderBoundsAndMagic) {
  uint8_t header[10];
  writeRecordHeader(header, 1, kMaxClearPayloadLength + 1);
  ASSERT_TRUE(sendExactly(a_, header));
  RecordHeader parsed;
  Bytes payload;
  EXPECT_FALSE(receiveRecord(b_, parsed, payload));

  writeRecordHeader(header, 1, 0);
  header[3] = 'Q';
  ASSERT_TRUE(sendExactly(a_, header));
  EXPECT_FALSE(receiveRecord(b_, parsed, payload));
}

// A record the peer is bound to refuse is not sent at all; the channel stays usable.
TEST_F(SecureChannelTest, SenderRefusesPayloadsBeyondTheReceiversLimits) {
  EXPECT_FALSE(sendRecord(a_, 1, Bytes(kMaxClearPayloadLength + 1)));
  useKeys();
  EXPECT_FALSE(sendRecord(a_, 1, Bytes(kMaxSealedPayloadLength + 1)));
  ASSERT_TRUE(sendRecord(a_, 2, Bytes(3, 1)));
  RecordHeader header;
  Bytes payload;
  ASSERT_TRUE(receiveRecord(b_, header, payload));
  EXPECT_EQ(header.type, 2);
}

TEST_F(SecureChannelTest, ConcurrentSendersProduceWholeRecords) {
  useKeys();
  constexpr int kPerThread = 200;
  auto sender = [this](uint8_t type) {
    for (int i = 0; i < kPerThread; ++i)
      ASSERT_TRUE(sendRecord(a_, type, Bytes(size_t(1 + (i * 997) % 40000), uint8_t(type + i))));
  };
  std::jthread first(sender, uint8_t(1)), second(sender, uint8_t(2));
  // On a failed check below, ends the stream so blocked senders return and can be joined.
  struct CloseOnExit {
    SecureChannel& channel;
    ~CloseOnExit() { closeSocket(channel); }
  } closer{b_};
  int seen[3] = {0, 0, 0};
  for (int n = 0; n < 2 * kPerThread; ++n) {
    RecordHeader header;
    Bytes payload;
    ASSERT_TRUE(receiveRecord(b_, header, payload)) << "record " << n;
    ASSERT_TRUE(header.type == 1 || header.type == 2);
    const int i = seen[header.type]++;
    ASSERT_EQ(payload, Bytes(size_t(1 + (i * 997) % 40000), uint8_t(header.type + i)));
  }
}

TEST_F(SecureChannelTest, CloseSocketWakesBlockedReceiver) {
  setReceiveTimeout(b_, 0);
  bool received = true;
  std::thread receiver([&] {
    RecordHeader header;
    Bytes payload;
    received = receiveRecord(b_, header, payload);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  closeSocket(b_);
  receiver.join();
  EXPECT_FALSE(received);
  EXPECT_FALSE(b_.isOpen());
  uint8_t anything;
  EXPECT_FALSE(receiveExactly(a_, MutableByteView(&anything, 1)));  // the peer sees the end
}

TEST_F(SecureChannelTest, ClosingPeerFailsReceiveAndSendOnClosedFails) {
  useKeys();
  closeChannel(a_);
  EXPECT_FALSE(a_.hasKeys());
  RecordHeader header;
  Bytes payload;
  EXPECT_FALSE(receiveRecord(b_, header, payload));
  EXPECT_FALSE(sendRecord(a_, 1, {}));
}

TEST_F(SecureChannelTest, MovedChannelKeepsSocketKeysAndHash) {
  SessionHash hash;
  hash.fill(0x5c);
  a_.installKeys(makeRecordKey(kKeyAtoB), makeRecordKey(kKeyBtoA), hash);
  b_.installKeys(makeRecordKey(kKeyBtoA), makeRecordKey(kKeyAtoB), hash);
  ASSERT_TRUE(sendRecord(a_, 1, Bytes{1}));  // counter 1 next
  SecureChannel moved(std::move(a_));
  EXPECT_FALSE(a_.isOpen());
  EXPECT_FALSE(a_.hasKeys());
  EXPECT_EQ(moved.sessionHash(), hash);
  ASSERT_TRUE(sendRecord(moved, 2, Bytes{2}));
  RecordHeader header;
  Bytes payload;
  ASSERT_TRUE(receiveRecord(b_, header, payload));
  ASSERT_TRUE(receiveRecord(b_, header, payload));
  EXPECT_EQ(header.type, 2);
  SecureChannel assigned;
  assigned = std::move(moved);
  ASSERT_TRUE(sendRecord(assigned, 3, {}));
  ASSERT_TRUE(receiveRecord(b_, header, payload));
  EXPECT_EQ(header.type, 3);
}

TEST_F(SecureChannelTest, SocketOptionsApplyToOpenChannel) {
  setKeepAlive(a_, 15000, 5000);
  setSendBuffer(a_, 65536);
  setSendBuffer(a_, 0);
  EXPECT_TRUE(canSendNow(a_));
  SecureChannel empty;
  EXPECT_FALSE(canSendNow(empty));
  EXPECT_FALSE(sendExactly(empty, Bytes{1}));
}

TEST(ConnectTcpTest, NamesResolveForIpv4Only) {
  uint16_t port = 0;
  const NativeSocket listener = tcpListenLoopback(port);
  ASSERT_NE(listener, kInvalidSocket);
  SecureChannel channel;
  EXPECT_TRUE(connectTcp(channel, "localhost", port));
  EXPECT_TRUE(channel.isOpen());
  // An IPv6 literal, a name that (where the hosts file has it) maps only to ::1, an unknown name.
  for (const char* host : {"::1", "ip6-localhost", "no-such-host.invalid"})
    EXPECT_FALSE(connectTcp(channel, host, port)) << host;
  EXPECT_FALSE(channel.isOpen());
  socketShutdownAndClose(listener);
}

// ---- tampering: every byte of L, ciphertext and tag ------------------------------------------

constexpr size_t kTamperPayloadSize = 5;
constexpr size_t kTamperWireSize = sealedWireSize(kTamperPayloadSize);  // 35

class RecordTamperTest : public ::testing::TestWithParam<size_t> {};

TEST_P(RecordTamperTest, AnyChangedByteFailsTheReceiver) {
  SecureChannel a, b;
  connectPair(a, b);
  installTestKeys(a, b, kKeyAtoB, kKeyBtoA);
  RecordKey sealer = makeRecordKey(kKeyAtoB);
  Bytes wire;
  ASSERT_TRUE(sealRecord(sealer, 7, Bytes(kTamperPayloadSize, 0x33), wire));
  ASSERT_EQ(wire.size(), kTamperWireSize);
  wire[GetParam()] ^= 0x01;
  ASSERT_TRUE(sendExactly(a, wire));
  closeSocket(a);  // a longer L must meet the end of the stream, not wait
  RecordHeader header;
  Bytes payload;
  EXPECT_FALSE(receiveRecord(b, header, payload));
}

INSTANTIATE_TEST_SUITE_P(EveryWireByte, RecordTamperTest,
                         ::testing::Range(size_t(0), kTamperWireSize));

}  // namespace
}  // namespace px
