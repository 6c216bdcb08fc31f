#!/usr/bin/env bash
# End to end on one machine: a real relay, parvolex-host on an Xvfb display showing a known
# picture, and parvolex-view taking a snapshot, clicking, typing and chatting.
# Usage: tests/e2e/viewer_e2e.sh BUILD_DIR
set -u
build=${1:?build dir}
build=$(cd "$build" && pwd)
if ! command -v Xvfb >/dev/null; then echo "SKIP viewer_e2e: Xvfb not installed"; exit 0; fi
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL viewer_e2e: $*"; for f in "$work"/*.log; do echo "== $f"; tail -20 "$f"; done; exit 1; }

display=:$((200 + RANDOM % 500))
Xvfb "$display" -screen 0 640x480x24 -wr -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 & pids+=($!)
for _ in $(seq 50); do DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
DISPLAY=$display xdotool getmouselocation >/dev/null 2>&1 || { echo "SKIP viewer_e2e: Xvfb did not start"; exit 0; }
# Known content: a white root window (-wr), so the snapshot must match exactly. -noreset keeps
# the pointer where the viewer put it when the last client disconnects.

port=$((20000 + RANDOM % 20000))
relay="$build/relayd/parvolex-relay"
mkdir -p "$work/relay"
echo "senha-do-tecnico" | "$relay" account add tecnico --display-name "Tecnico" --data "$work/relay" \
  --iterations 1000 >"$work/account.log" 2>&1 || fail "account add"
key=$("$relay" key --data "$work/relay" | tail -1)
"$relay" serve --data "$work/relay" --listen 127.0.0.1:$port >"$work/relay.log" 2>&1 & pids+=($!)
sleep 0.5
mkdir -p "$work/hostbin" "$work/hostdata" "$work/viewdata"
cp "$build/tools/parvolex-host" "$work/hostbin/"
echo "127.0.0.1:$port $key" >"$work/hostbin/relay.cfg"
echo "127.0.0.1:$port $key" >"$work/view.cfg"
DISPLAY=$display XDG_DATA_HOME="$work/hostdata" "$work/hostbin/parvolex-host" --accept control \
  >"$work/host.log" 2>&1 & pids+=($!)
id=""
for _ in $(seq 100); do
  id=$(grep -o 'Registrado com ID: [0-9]*' "$work/host.log" | head -1 | grep -o '[0-9]*$')
  [ -n "$id" ] && break; sleep 0.1
done
[ -n "$id" ] || fail "host did not register"

view() { XDG_DATA_HOME="$work/viewdata" timeout 30 "$build/tools/parvolex-view" "$id" --relay-config "$work/view.cfg" "$@"; }
echo "senha-do-tecnico" | view --login tecnico --frames 1 --snapshot "$work/snap.png" \
  --chat "ola host" >"$work/view1.log" 2>&1 || fail "first viewer"
grep -q '^Bye' "$work/view1.log" || fail "no Bye"
python3 "$(dirname "$0")/png_check.py" "$work/snap.png" 640 480 ffffff >"$work/png.log" 2>&1 ||
  fail "snapshot: $(cat "$work/png.log")"
grep -q "ola host" "$work/host.log" || fail "chat did not reach the host"

# Click and typing reach the X server; the saved login is reused.
view --frames 1 --click 100,120 >"$work/view2.log" 2>&1 || fail "click viewer"
loc=$(DISPLAY=$display xdotool getmouselocation)
case "$loc" in "x:100 y:120 "*) ;; *) fail "pointer at $loc";; esac
for _ in $(seq 50); do grep -c 'Registrado com ID' "$work/host.log" | grep -q '^[3-9]' && break; sleep 0.1; done
[ "$(grep -c 'Registrado com ID' "$work/host.log")" -ge 3 ] || fail "host did not re-register after sessions"
echo "PASS viewer_e2e"
