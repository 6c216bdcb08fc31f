#include "relayd/relay_peer.h"

namespace px::relayd {
namespace {

using Clock = std::chrono::steady_clock;

// Grows while reads fill it, so a bulk transfer moves in few large system calls, and drops back
// to the first size once a read comes back half empty, so a tunnel that idles after a burst
// holds little. On loopback a plain copy through this buffer measured faster than splice(2)
// through a pipe, which copies the pages as well.
constexpr size_t kTunnelBufferFirst = 16 * 1024;
constexpr size_t kTunnelBufferMost = 1024 * 1024;

void resizeTunnelBuffer(std::vector<uint8_t>& buffer, size_t lastRead) {
  if (lastRead == buffer.size() && buffer.size() < kTunnelBufferMost) {
    buffer.resize(buffer.size() * 2);
  } else if (lastRead < buffer.size() / 2 && buffer.size() > kTunnelBufferFirst) {
    std::vector<uint8_t>(kTunnelBufferFirst).swap(buffer);  // frees the large block
  }
}

awaitable<void> copyPump(PeerPtr from, PeerPtr to) {
  std::vector<uint8_t> buffer(kTunnelBufferFirst);
  for (;;) {
    asio::error_code ec;
    const size_t n = co_await from->socket.async_read_some(asio::buffer(buffer),
                                                           asio::redirect_error(use_awaitable, ec));
    if (ec) break;
    co_await asio::async_write(to->socket, asio::buffer(buffer.data(), n),
                               asio::redirect_error(use_awaitable, ec));
    if (ec) break;
    resizeTunnelBuffer(buffer, n);
  }
}

awaitable<void> pump(PeerPtr from, PeerPtr to) {
  co_await copyPump(from, to);
  closePeer(*from);
  closePeer(*to);
}

}  // namespace

bool Peer::holdSlot(SourceSlot next) {
  if (next == slot || !counts) return true;
  if (!counts->tryEnter(source, next)) return false;
  counts->leave(source, slot);
  slot = next;
  return true;
}

void closePeer(Peer& peer) {
  asio::error_code ignored;
  peer.socket.shutdown(tcp::socket::shutdown_both, ignored);
  peer.socket.close(ignored);
  peer.holdSlot(SourceSlot::kNone);
}

awaitable<void> watchdog(PeerPtr peer) {
  while (peer->watched && peer->socket.is_open()) {
    asio::error_code ec;
    co_await peer->deadline.async_wait(asio::redirect_error(use_awaitable, ec));
    if (peer->watched && peer->deadline.expiry() <= Clock::now()) closePeer(*peer);
  }
}

void stopWatching(Peer& peer) {
  peer.watched = false;
  peer.deadline.cancel();
}

awaitable<bool> readExactly(Peer& peer, MutableByteView out) {
  asio::error_code ec;
  co_await asio::async_read(peer.socket, asio::buffer(out.data(), out.size()),
                            asio::redirect_error(use_awaitable, ec));
  co_return !ec;
}

awaitable<bool> writeAll(Peer& peer, ByteView data) {
  asio::error_code ec;
  co_await asio::async_write(peer.socket, asio::buffer(data.data(), data.size()),
                             asio::redirect_error(use_awaitable, ec));
  co_return !ec;
}

awaitable<void> refuse(Peer& peer, uint8_t code) {
  const uint8_t byte = code;
  co_await writeAll(peer, ByteView(&byte, 1));
  asio::error_code ignored;
  peer.socket.shutdown(tcp::socket::shutdown_send, ignored);
  closePeer(peer);
}

awaitable<void> joinTunnel(asio::io_context& io, PeerPtr viewer, PeerPtr host) {
  asio::co_spawn(io, pump(host, viewer), asio::detached);
  co_await pump(viewer, host);
}

}  // namespace px::relayd
