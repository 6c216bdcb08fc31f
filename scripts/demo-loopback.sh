#!/usr/bin/env bash
# The loopback demos, without windows: installs what is missing, builds the demo programs in
# build/dev, then runs parvolex-demo (a host thread and a viewer: handshake, records both ways, a
# forged record refused) and parvolex-relay-demo through parvolex-relay on loopback.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build/dev -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/dev -j 2 --target parvolex-demo parvolex-relay parvolex-relay-demo

echo "== parvolex-demo"
build/dev/tools/parvolex-demo

echo "== relay demo (parvolex-relay on loopback)"
# The relay keeps its key, IDs and accounts in this folder; the demo account is made once.
relay=build/dev/relayd/parvolex-relay
data=build/dev/relay-demo-data
port=${PX_DEMO_RELAY_PORT:-19001}
key=$("$relay" key --data "$data")
if ! "$relay" account list --data "$data" | grep -q '^demo '; then
  echo "demo1234" | "$relay" account add demo --display-name "Conta Demo" --data "$data"
fi
# The client reads relay.cfg beside its executable: host:port, then the relay's key.
echo "127.0.0.1:$port $key" > build/dev/tools/relay.cfg
echo "relay.cfg: $(cat build/dev/tools/relay.cfg)"
"$relay" serve --data "$data" --listen "127.0.0.1:$port" &
relay_pid=$!
trap 'kill -TERM $relay_pid 2>/dev/null; wait $relay_pid 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
  sleep 0.1
done
build/dev/tools/parvolex-relay-demo demo demo1234
