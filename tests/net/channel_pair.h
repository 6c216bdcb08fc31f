// Two SecureChannels joined over real loopback TCP, for tests that need both ends of a stream.
#pragma once

#include <gtest/gtest.h>

#include "net/secure_channel.h"

namespace px::test {

// Connects `a` to `b` through 127.0.0.1. The listening socket is closed before returning.
inline void connectPair(SecureChannel& a, SecureChannel& b) {
  uint16_t port = 0;
  const NativeSocket listener = tcpListenLoopback(port);
  ASSERT_NE(listener, kInvalidSocket);
  // A loopback connect completes from the listen backlog, so no accepting thread is needed.
  ASSERT_TRUE(connectTcp(a, "127.0.0.1", port));
  const NativeSocket accepted = tcpAccept(listener);
  socketShutdownAndClose(listener);
  ASSERT_NE(accepted, kInvalidSocket);
  b = SecureChannel(accepted);
  // A fault must fail the test rather than hang it.
  setReceiveTimeout(a, 20000);
  setReceiveTimeout(b, 20000);
}

inline AesKey32 filledKey(uint8_t fill) {
  AesKey32 key;
  key.fill(fill);
  return key;
}

inline RecordKey makeRecordKey(const AesKey32& raw) {
  RecordKey key;
  EXPECT_TRUE(RecordKey::create(raw, key));
  return key;
}

// `a` seals with k1 and opens with k2; `b` the other way round.
inline void installTestKeys(SecureChannel& a, SecureChannel& b, const AesKey32& k1,
                            const AesKey32& k2) {
  a.installKeys(makeRecordKey(k1), makeRecordKey(k2), SessionHash{});
  b.installKeys(makeRecordKey(k2), makeRecordKey(k1), SessionHash{});
}

}  // namespace px::test
