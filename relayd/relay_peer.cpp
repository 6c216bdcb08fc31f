#include "relayd/relay_peer.h"

#include <algorithm>
#include <bit>

namespace px::relayd {
namespace {

using Clock = std::chrono::steady_clock;

// Sized by what is already waiting to be read, so a bulk transfer moves in few large system
// calls, and released while nothing is waiting, so a tunnel that idles after a burst holds no
// buffer at all. On loopback a plain copy through this buffer measured faster than splice(2)
// through a pipe, which copies the pages as well.
constexpr size_t kTunnelBufferFirst = 16 * 1024;
constexpr size_t kTunnelBufferMost = 1024 * 1024;

size_t tunnelBufferSize(size_t waiting) {
  return std::clamp(std::bit_ceil(std::max<size_t>(waiting, 1)), kTunnelBufferFirst, kTunnelBufferMost);
}

// Waits until `socket` has bytes (or has ended) holding no buffer; the number of bytes waiting.
awaitable<size_t> waitForBytes(tcp::socket& socket, std::vector<uint8_t>& buffer, asio::error_code& ec) {
  size_t waiting = socket.available(ec);
  if (ec || waiting != 0) co_return waiting;
  std::vector<uint8_t>().swap(buffer);
  co_await socket.async_wait(tcp::socket::wait_read, asio::redirect_error(use_awaitable, ec));
  co_return ec ? 0 : socket.available(ec);
}

awaitable<void> copyPump(PeerPtr from, PeerPtr to) {
  std::vector<uint8_t> buffer;
  for (;;) {
    asio::error_code ec;
    const size_t waiting = co_await waitForBytes(from->socket, buffer, ec);
    if (ec) break;
    const size_t size = tunnelBufferSize(waiting);
    // Grows at once to a burst and shrinks when the burst is over, without copying old bytes.
    if (buffer.size() < size || buffer.size() > 4 * size) std::vector<uint8_t>(size).swap(buffer);
    const size_t n = co_await from->socket.async_read_some(asio::buffer(buffer),
                                                           asio::redirect_error(use_awaitable, ec));
    if (ec) break;
    co_await asio::async_write(to->socket, asio::buffer(buffer.data(), n),
                               asio::redirect_error(use_awaitable, ec));
    if (ec) break;
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
