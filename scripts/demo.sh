#!/usr/bin/env bash
# The main job: a remote-support session to watch. Installs what is missing, builds the native
# tools (build/dev) and the 64-bit Parvolex.exe for Wine (build/demo-win64), then starts the relay
# on loopback with the demo account, a private X screen with a picture, a clock and `top` shared by
# parvolex-host, and Parvolex.exe under Wine, which logs in as the demo account with real X input
# and opens the shared screen in its viewer window.
# Usage: bash scripts/demo.sh [SECONDS]   (default: until Ctrl+C)
# Parvolex.exe shows on $DISPLAY when it is set; without it, on a private X screen, and the viewer
# window's screenshot goes to build/demo-screenshots/viewer.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-}
[[ "$seconds" =~ ^[0-9]*$ ]] || { echo "usage: bash scripts/demo.sh [SECONDS]" >&2; exit 2; }

bash scripts/install-deps.sh

echo "== native tools (build/dev)"
cmake -S . -B build/dev -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/dev -j 2 --target parvolex-relay parvolex-host px-x-fixture
echo "== Parvolex.exe for Wine (build/demo-win64)"
# The same configuration as the test command's Wine build: 64-bit, with libgcrypt standing in for
# what Wine's CNG lacks.
cmake -S . -B build/demo-win64 -G Ninja -DCMAKE_BUILD_TYPE=Release -DPX_BENCH=OFF \
  -DPX_WINE_CRYPTO=ON -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build build/demo-win64 -j 2 --target Parvolex

relay=build/dev/relayd/parvolex-relay
xfix=$root/build/dev/tests/px-x-fixture
exe=build/demo-win64/src/app/Parvolex.exe
picture=${PX_SHARED_DIR:-$root/../shared}/corpus/wallpaper.png
relay_data=build/dev/relay-demo-data
port=${PX_DEMO_RELAY_PORT:-19001}
shots=$root/build/demo-screenshots
[ -f "$picture" ] || { echo "FAIL: the corpus picture $picture is missing" >&2; exit 1; }

work=$(mktemp -d /tmp/px-demo.XXXXXX)
pids=()
wine_pid=""
session_up=0
cleanup() {
  trap - INT TERM
  local i
  # Parvolex.exe and whatever else runs in our own prefix first; then, newest first, the host,
  # the screens and the relay.
  [ -z "$wine_pid" ] || kill "$wine_pid" 2>/dev/null || true
  [ "${WINEPREFIX:-}" != "$work/prefix" ] || px_wine_stop
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# Ctrl+C is how a watched session ends; before the session is up it is an interruption.
stopped() { echo; echo "== stopped"; exit $((session_up ? 0 : 130)); }
trap stopped INT TERM
die() {
  echo "FAIL: $*" >&2
  for f in "$work"/*.log; do echo "== $f" >&2; tail -15 "$f" | tr -d '\r' >&2; done
  exit 1
}
source scripts/wine-prefix.sh
source scripts/x-windows.sh
fail() { die "$@"; }

# startXvfb WxH: a private X screen on a free display number; sets $xvfb_display.
xvfb_display=""
startXvfb() {
  local n pid
  for _ in 1 2 3 4 5; do
    n=$((200 + RANDOM % 500))
    [ ! -e "/tmp/.X$n-lock" ] || continue
    Xvfb ":$n" -screen 0 "$1x24" -nolisten tcp -noreset >>"$work/xvfb.log" 2>&1 &
    pid=$!
    # A display that answers while our server has died belongs to somebody else.
    if DISPLAY=":$n" waitFor 5 xdotool getmouselocation >/dev/null 2>&1 && kill -0 "$pid" 2>/dev/null; then
      pids+=("$pid"); xvfb_display=":$n"; return 0
    fi
    kill "$pid" 2>/dev/null || true
  done
  die "no Xvfb display could be started"
}
portAnswers() { (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }

echo "== Wine prefix (about 20 s)"
px_wine_prefix "$work" 96 || die "Wine prefix"

# The relay keeps its key, IDs and accounts in its folder; the demo account is made once.
! portAnswers || die "127.0.0.1:$port is taken; set PX_DEMO_RELAY_PORT to another port"
key=$("$relay" key --data "$relay_data" | tail -1)
if ! "$relay" account list --data "$relay_data" | grep -q '^demo '; then
  echo "demo1234" | "$relay" account add demo --display-name "Conta Demo" --data "$relay_data" >/dev/null
fi
"$relay" serve --data "$relay_data" --listen "127.0.0.1:$port" >"$work/relay.log" 2>&1 &
pids+=($!)
waitFor 10 portAnswers || die "the relay did not start"
echo "== relay on 127.0.0.1:$port"
# Both clients read relay.cfg beside their executable: host:port, then the relay's key.
mkdir -p "$work/hostbin" "$work/hostdata" "$work/winbin"
cp build/dev/tools/parvolex-host "$work/hostbin/"
cp "$exe" "$(dirname "$exe")"/*.dll "$work/winbin/"
echo "127.0.0.1:$port $key" | tee "$work/hostbin/relay.cfg" >"$work/winbin/relay.cfg"

# Display A: the shared computer's screen, a picture with something that moves on top.
startXvfb 1280x800
display_a=$xvfb_display
DISPLAY=$display_a "$xfix" show "$picture" 640 280 >"$work/fixture.log" 2>&1 &
pids+=($!)
waitFor 10 has ready "$work/fixture.log" || die "the picture did not show on $display_a"
if command -v xclock >/dev/null; then
  DISPLAY=$display_a xclock -update 1 -geometry 180x180+1060+40 >/dev/null 2>&1 &
  pids+=($!)
fi
if command -v xterm >/dev/null; then
  DISPLAY=$display_a xterm -geometry 100x22+40+440 -e top -d 1 >/dev/null 2>&1 &
  pids+=($!)
fi
DISPLAY=$display_a XDG_DATA_HOME="$work/hostdata" "$work/hostbin/parvolex-host" --accept control \
  </dev/null >"$work/host.log" 2>&1 &
pids+=($!)
waitFor 15 has 'Registrado com ID' "$work/host.log" || die "the host did not register"
id=$(tr -d '\r' <"$work/host.log" | grep -m1 -o 'Registrado com ID: [0-9]*' | grep -o '[0-9]*$')
echo "== host on $display_a with ID $id"

# Display B: the technician's; the person's own screen when there is one.
own_display=${DISPLAY:-}
if [ -z "$own_display" ]; then
  startXvfb 1280x1024
  export DISPLAY=$xvfb_display
fi
# With the ID on its command line Parvolex.exe opens at the login screen and connects as soon as
# the login succeeds.
(cd "$work/winbin" && exec "$px_wine" Parvolex.exe "$id") >"$work/parvolex.log" 2>&1 &
wine_pid=$!; pids+=("$wine_pid")
waitFor 60 mainAt >/dev/null || die "the Parvolex window did not appear on $DISPLAY"
sleep 1
enterLogin demo demo1234
waitFor 30 has 'Login de demo aceito' "$work/parvolex.log" || die "the demo login was not accepted"
waitFor 30 has "Visualizando $id" "$work/parvolex.log" || die "the viewer did not reach ID $id"
waitFor 20 viewerWindow >/dev/null || die "no viewer window at (40, 40) on $DISPLAY"
# The home screen opens with the login and may end up above the viewer window.
raiseViewer() { xdotool windowraise "$(viewerWindow)"; sleep 0.5; }
raiseViewer
session_up=1
echo "== Parvolex.exe logged in, viewing $display_a (ID $id) on $DISPLAY"

if [ -z "$own_display" ]; then
  sleep 5  # the first frames and the clock's next ticks
  raiseViewer
  eval "$(xdotool getwindowgeometry --shell "$(viewerWindow)")"
  mkdir -p "$shots"
  "$xfix" grab "$shots/viewer.png" "$X" "$Y" "$WIDTH" "$HEIGHT" >/dev/null || die "screenshot"
  echo "== screenshot: $shots/viewer.png"
fi

if [ -n "$seconds" ]; then echo "== running for $seconds s (Ctrl+C ends it sooner)"
else echo "== running until Ctrl+C"; fi
end=$((SECONDS + ${seconds:-0}))
while [ -z "$seconds" ] || [ "$SECONDS" -lt "$end" ]; do
  kill -0 "$wine_pid" 2>/dev/null || { echo "== Parvolex.exe ended"; break; }
  sleep 1
done
echo "== done"
