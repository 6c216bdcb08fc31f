#!/usr/bin/env bash
# End to end on one machine: a real relay, parvolex-host on an Xvfb display showing a corpus
# picture, and parvolex-view sessions that snapshot, click, type, chat, switch monitors, meet a
# busy host, a view-only host and a password lock-out.
# Usage: tests/e2e/viewer_e2e.sh BUILD_DIR [SHARED_DIR]   (exit 77: skipped, Xvfb missing)
set -u
build=$(cd "${1:?build dir}" && pwd)
shared=${PX_SHARED_DIR:-${2:-$(dirname "$0")/../../../shared}}
picture="$shared/corpus/wallpaper.png"
fixture="$build/tests/px-x-fixture"
if ! command -v Xvfb >/dev/null; then echo "SKIP viewer_e2e: Xvfb not installed"; exit 77; fi
[ -f "$picture" ] || { echo "FAIL viewer_e2e: corpus picture $picture missing"; exit 1; }
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL viewer_e2e: $*"; for f in "$work"/*.log; do echo "== $f"; tail -25 "$f"; done; exit 1; }
step() { echo "-- $*"; }
waitFor() {  # waitFor SECONDS COMMAND...: polls every 0.1 s
  local tries=$(($1 * 10)); shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# The picture is cropped from (X0,Y0) so that the screen holds both photo (JPEG) and flat
# (lossless) areas; -noreset keeps the pointer where a viewer left it when a client goes.
display=:$((200 + RANDOM % 500))
X0=600 Y0=300 W=640 H=480
Xvfb "$display" -screen 0 ${W}x${H}x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 & pids+=($!)
export DISPLAY=$display
waitFor 5 xdotool getmouselocation >/dev/null 2>&1 || { echo "SKIP viewer_e2e: Xvfb did not start"; exit 77; }
"$fixture" show "$picture" $X0 $Y0 >"$work/fixture.log" 2>&1 & pids+=($!)
waitFor 5 grep -q ready "$work/fixture.log" || fail "fixture window did not appear"

port=$((20000 + RANDOM % 20000))
relay="$build/relayd/parvolex-relay"
mkdir -p "$work/relay"
echo "senha-do-tecnico" | "$relay" account add tecnico --display-name "Tecnico" --data "$work/relay" \
  --iterations 1000 >"$work/account.log" 2>&1 || fail "account add"
key=$("$relay" key --data "$work/relay" | tail -1)
"$relay" serve --data "$work/relay" --listen 127.0.0.1:$port >"$work/relay.log" 2>&1 & pids+=($!)
mkdir -p "$work/hostbin" "$work/hostdata" "$work/viewdata"
cp "$build/tools/parvolex-host" "$work/hostbin/"
echo "127.0.0.1:$port $key" >"$work/hostbin/relay.cfg"
echo "127.0.0.1:$port $key" >"$work/view.cfg"

host_pid="" id=""
registrations() { grep -c 'Registrado com ID' "$work/host.log"; }
startHost() {  # startHost ACCEPT_MODE
  XDG_DATA_HOME="$work/hostdata" "$work/hostbin/parvolex-host" --accept "$1" >"$work/host.log" 2>&1 &
  host_pid=$!; pids+=($host_pid)
  waitFor 10 grep -q 'Registrado com ID' "$work/host.log" || fail "host did not register"
  id=$(grep -o 'Registrado com ID: [0-9]*' "$work/host.log" | head -1 | grep -o '[0-9]*$')
}
stopHost() { kill -TERM "$host_pid"; wait "$host_pid" || fail "host exited with $?"; mv "$work/host.log" "$work/host-$1.log"; }
# The host registers again as soon as a viewer joins: it is waiting while registrations
# outnumber the viewers that arrived.
waiting() { [ "$(registrations)" -gt "$(grep -c 'Viewer conectou via ID' "$work/host.log")" ]; }
awaitHost() { waitFor 10 waiting || fail "host did not register again ($1)"; }
# The viewer's Bye ends its side at once; the host's side ends when its supervisor sees it.
idle() { [ "$(grep '^\[STATUS\]' "$work/host.log" | tail -1)" = "[STATUS] Pronto. Aguardando conexão..." ]; }
awaitIdleHost() { awaitHost "$1"; waitFor 10 idle || fail "host did not return to idle ($1)"; }
view() { XDG_DATA_HOME="$work/viewdata" timeout 60 "$build/tools/parvolex-view" "$id" --relay-config "$work/view.cfg" "$@"; }
keysTyped() { grep '^key ' "$work/fixture.log" | cut -c5- | tr -d '\n'; }

startHost control
step "snapshot of the picture, chat"
echo "senha-do-tecnico" | view --login tecnico --frames 1 --snapshot "$work/snap.png" \
  --chat "ola host" >"$work/view-snapshot.log" 2>&1 || fail "first viewer"
grep -q '^Bye' "$work/view-snapshot.log" || fail "no Bye"
"$fixture" compare "$work/snap.png" "$picture" $X0 $Y0 >"$work/compare.log" 2>&1 ||
  fail "snapshot differs from the picture: $(tail -1 "$work/compare.log")"
grep -q "size ${W}x${H}" "$work/compare.log" || fail "snapshot size: $(cat "$work/compare.log")"
cat "$work/compare.log"
waitFor 5 grep -q "ola host" "$work/host.log" || fail "chat did not reach the host"

step "click and typed text reach the X server (saved login reused)"
awaitIdleHost "after the first session"
view --frames 1 --click 100,120 --type "Ola mundo 42." >"$work/view-input.log" 2>&1 || fail "input viewer"
loc=$(xdotool getmouselocation)
case "$loc" in "x:100 y:120 "*) ;; *) fail "pointer at $loc";; esac
waitFor 5 grep -q '^click 100,120 1$' "$work/fixture.log" || fail "click did not reach the window"
waitFor 5 sh -c "[ \"\$(grep '^key ' '$work/fixture.log' | cut -c5- | tr -d '\n')\" = 'Ola mundo 42.' ]" ||
  fail "typed text arrived as '$(keysTyped)'"
awaitIdleHost "after two sessions"

step "a second viewer while busy is refused; the running session goes on"
view --seconds 6 >"$work/view-long.log" 2>&1 & long=$!
waitFor 10 grep -q 'Acesso aceito' "$work/view-long.log" || fail "the first session did not start"
awaitHost "while busy"
if view --frames 1 >"$work/view-busy.log" 2>&1; then fail "a second viewer got in while busy"; fi
grep -q 'Conexao recusada (ocupado)' "$work/host.log" || fail "no busy refusal in the host log"
wait $long || fail "the running session failed after the busy refusal"
grep -q '^Bye' "$work/view-long.log" || fail "the running session did not end with Bye"

step "Bye from the host ends the viewer cleanly"
awaitIdleHost "after the busy refusal"
view --seconds 30 >"$work/view-hostbye.log" 2>&1 & long=$!
waitFor 10 grep -q 'Acesso aceito' "$work/view-hostbye.log" || fail "the session did not start"
stopHost control
wait $long || fail "viewer failed when the host said Bye"
grep -q 'encerrada pelo computador remoto' "$work/view-hostbye.log" || fail "viewer did not see the host's Bye"

step "view-only: input ignored, monitor switch honoured"
"$fixture" split-monitors >"$work/monitors.log" 2>&1 || fail "could not split the screen: $(cat "$work/monitors.log")"
startHost view
clicks=$(grep -c '^click' "$work/fixture.log")
view --frames 1 --monitor 1 --click 50,60 --type "x" --snapshot "$work/right.png" >"$work/view-viewonly.log" 2>&1 ||
  fail "view-only viewer"
"$fixture" compare "$work/right.png" "$picture" $((X0 + W / 2)) $Y0 >"$work/compare-right.log" 2>&1 ||
  fail "right monitor snapshot: $(tail -1 "$work/compare-right.log")"
grep -q "size $((W / 2))x${H}" "$work/compare-right.log" || fail "right monitor size: $(cat "$work/compare-right.log")"
[ "$(grep -c '^click' "$work/fixture.log")" = "$clicks" ] || fail "a view-only session clicked"
[ "$(keysTyped)" = "Ola mundo 42." ] || fail "a view-only session typed: '$(keysTyped)'"
stopHost view

step "five wrong passwords lock password access out"
echo "senha-certa-123" | XDG_DATA_HOME="$work/hostdata" "$work/hostbin/parvolex-host" --set-password \
  >"$work/setpw.log" 2>&1 || fail "--set-password"
echo "senha-certa-123" >"$work/right.pw"
echo "senha-errada-00" >"$work/wrong.pw"
startHost never
view --frames 1 --remote-password-file "$work/right.pw" >"$work/view-rightpw.log" 2>&1 ||
  fail "the right password was refused"
for n in 1 2 3 4 5; do
  awaitHost "after password $n"
  if view --frames 1 --remote-password-file "$work/wrong.pw" >"$work/view-wrong$n.log" 2>&1; then
    fail "wrong password $n admitted"
  fi
done
grep -q 'Senha errada (4 de 5)' "$work/host.log" || fail "no count of wrong passwords"
grep -q 'Senha errada 5 vezes; acesso por senha suspenso por 15 min' "$work/host.log" || fail "no lock-out line"
awaitHost "after the lock-out"
if view --frames 1 --remote-password-file "$work/right.pw" >"$work/view-locked.log" 2>&1; then
  fail "the right password got in during the lock-out"
fi
grep -q 'Acesso por senha suspenso por excesso de tentativas' "$work/host.log" ||
  fail "the proof during the lock-out was not ignored"
stopHost never
echo "PASS viewer_e2e"
