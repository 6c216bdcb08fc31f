// One accepted relay connection and the socket steps every handler shares. Network thread only.
#pragma once

// A standard header first: Asio picks its allocation functions from the library's configuration
// macros, and every file that includes it must see the same ones.
#include <memory>
#include <string>

#include <asio.hpp>

#include "protocol/relay_protocol.h"
#include "relayd/source_counts.h"

namespace px::relayd {

using asio::awaitable;
using asio::use_awaitable;
using asio::ip::tcp;

// Shared by its own coroutine, its watchdog, and, once registered, the table of waiting hosts and
// later the tunnel that claims it.
struct Peer {
  explicit Peer(tcp::socket s) : socket(std::move(s)), deadline(socket.get_executor()) {}
  ~Peer() { holdSlot(SourceSlot::kNone); }

  // Moves this connection to another class of its source's count; false (and the connection
  // keeps the class it had) when the source is at that class's cap.
  bool holdSlot(SourceSlot next);

  tcp::socket socket;
  asio::steady_timer deadline;  // closes the socket when it fires, while `watched`
  bool watched = true;
  bool claimed = false;  // a tunnel took this registered host
  std::string source;
  std::string id;
  PublicKey64 identity{};
  std::shared_ptr<SourceCounts> counts;
  SourceSlot slot = SourceSlot::kNone;
};
using PeerPtr = std::shared_ptr<Peer>;

// Closes the socket and gives back the connection's place in its source's count.
void closePeer(Peer& peer);
awaitable<void> watchdog(PeerPtr peer);
void stopWatching(Peer& peer);
awaitable<bool> readExactly(Peer& peer, MutableByteView out);
awaitable<bool> writeAll(Peer& peer, ByteView data);
// Sends a refusal code and closes. The caller has read everything the peer sent, so the close
// does not reset the connection before the code arrives.
awaitable<void> refuse(Peer& peer, uint8_t code);
// Copies both directions of a joined tunnel until either ends; then both connections close.
awaitable<void> joinTunnel(asio::io_context& io, PeerPtr viewer, PeerPtr host);

}  // namespace px::relayd
