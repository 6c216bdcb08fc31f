# Shared by the Wine end-to-end tests (sourced): checks what they need, makes a Wine prefix, an
# Xvfb screen, a relay with an account, Parvolex.exe's folder with relay.cfg, and the helpers that
# check screenshots (scripts/x-windows.sh finds the windows and clicks in them). The sourcing
# script sets e2e_name and passes its arguments on: NATIVE_BUILD WIN_BUILD [SHARED_DIR].
set -u
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
native=$(cd "${1:?native build dir}" && pwd)
winbuild=$(cd "${2:?windows build dir}" && pwd)
shared=${PX_SHARED_DIR:-${3:-$root/../shared}}
picture="$shared/corpus/wallpaper.png"
xfix="$native/tests/px-x-fixture"
relay="$native/relayd/parvolex-relay"
viewer="$native/tools/parvolex-view"
exe="$winbuild/src/app/Parvolex.exe"
wfix="$winbuild/tests/px-wine-fixture.exe"
shots="$winbuild/e2e-screenshots/$e2e_name"

for tool in Xvfb xdotool wineserver; do
  command -v "$tool" >/dev/null || { echo "SKIP $e2e_name: $tool not installed"; exit 77; }
done
for f in "$picture" "$xfix" "$relay" "$viewer" "$exe" "$wfix"; do
  [ -e "$f" ] || { echo "FAIL $e2e_name: $f missing"; exit 1; }
done

work=$(mktemp -d /tmp/px-wine-e2e.XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  px_wine_stop 2>/dev/null
  # A second prefix (a test with two Windows computers) has its own wineserver.
  [ -z "${second_prefix:-}" ] || WINEPREFIX=$second_prefix wineserver -k >/dev/null 2>&1
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null; done
  if [ -n "${PX_E2E_KEEP:-}" ]; then echo "kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
fail() {
  echo "FAIL $e2e_name: $*"
  # PX_E2E_HOLD=SECONDS keeps the screen and the programs for a look before the clean-up.
  [ -z "${PX_E2E_HOLD:-}" ] || { echo "holding DISPLAY=$DISPLAY for $PX_E2E_HOLD s"; sleep "$PX_E2E_HOLD"; }
  "$xfix" grab "$shots/failure-screen.png" >/dev/null 2>&1 && echo "screen at the failure: $shots/failure-screen.png"
  for f in "$work"/*.log; do echo "== $f"; tail -20 "$f" | tr -d '\r'; done
  exit 1
}
step() { echo "-- $*"; }
count() { tr -d '\r' <"$2" | grep -c -- "$1"; }

source "$root/scripts/wine-prefix.sh"
source "$root/scripts/x-windows.sh"
px_wine_prefix "$work" 96 || fail "Wine prefix"
appdata=$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Roaming 2>/dev/null | grep -v /Public/ | head -1)
[ -n "$appdata" ] || fail "no AppData folder in the prefix"
datadir="$appdata/Parvolex"

W=${W:-1280} H=${H:-800}  # a sourcing script may need a larger screen
display=:$((200 + RANDOM % 500))
Xvfb "$display" -screen 0 ${W}x${H}x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 & pids+=($!)
export DISPLAY=$display
waitFor 5 xdotool getmouselocation >/dev/null 2>&1 || { echo "SKIP $e2e_name: Xvfb did not start"; exit 77; }

port=$((20000 + RANDOM % 20000))
mkdir -p "$work/relay" "$work/bin" "$work/viewdata" "$shots"
rm -f "$shots"/*.png
echo "senha-do-tecnico" | "$relay" account add tecnico --display-name "Tecnico" --data "$work/relay" \
  --iterations 1000 >"$work/account.log" 2>&1 || fail "account add"
key=$("$relay" key --data "$work/relay" | tail -1)
cp "$exe" "$(dirname "$exe")"/*.dll "$work/bin/" 2>/dev/null || cp "$exe" "$work/bin/"
echo "127.0.0.1:$port $key" >"$work/bin/relay.cfg"
echo "127.0.0.1:$port $key" >"$work/view.cfg"
relay_pid=""
startRelay() {
  "$relay" serve --data "$work/relay" --listen 127.0.0.1:$port >>"$work/relay.log" 2>&1 &
  relay_pid=$!; pids+=($relay_pid)
}

# The picture the Wine fixture shows full screen; the viewer's snapshot is compared with it.
X0=600 Y0=300
"$xfix" crop "$picture" $X0 $Y0 $W $H "$work/screen.bmp" || fail "crop"
startFixture() {
  : >"$work/fixture.log"
  "$px_wine" "$wfix" show 'Z:'"$(echo "$work/screen.bmp" | tr / '\\')" >"$work/fixture.log" 2>&1 &
  pids+=($!)
  waitFor 20 has ready "$work/fixture.log" || fail "the Wine fixture window did not appear"
}

# --- window geometry (more in scripts/x-windows.sh) ---------------------------------------------
raiseMain() {
  local w h win
  w=$(px 560); h=$(px 300)
  for win in $(xdotool search --onlyvisible --name '^Parvolex$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$win")"
    if [ "$WIDTH" = "$w" ] && [ "$HEIGHT" = "$h" ]; then xdotool windowraise "$win"; fi
  done
  sleep 0.3
}
promptAt() { windowAt 460 360; }
chatAt() { windowAt 340 480 Chat; }
# shot NAME "X Y" WIDTH_DIPS HEIGHT_DIPS TABLE: grabs the window and checks the table (DIP
# rows). A window's first paint waits for Wine's Direct2D to start, so it grabs again for a while
# until the table holds.
shot() {
  local name=$1 x y; read -r x y <<<"$2"
  local file="$shots/$name-${dpi}dpi.png" out="$work/pixels-$name-$dpi.out"
  printf '%s\n' "$5" >"$work/$name.table"
  grabAndCheck() {
    "$xfix" grab "$file" "$x" "$y" "$(px "$3")" "$(px "$4")" &&
      "$xfix" check-pixels "$file" "$work/$name.table" --dpi "$dpi" --origin 0,0 >"$out" 2>&1
  }
  waitFor 20 grabAndCheck "$@" || { cat "$out"; fail "pixels of $name at $dpi DPI"; }
  echo "   $(basename "$file"): $(grep -c ok "$out") rows ok"
}

# --- the program -----------------------------------------------------------------------------
host_log="" host_pid="" id=""
startParvolex() {  # startParvolex LOG
  host_log="$work/$1"
  (cd "$work/bin" && exec "$px_wine" Parvolex.exe) >"$host_log" 2>&1 &
  host_pid=$!; pids+=($host_pid)
  waitFor 20 mainAt >/dev/null || fail "the main window did not appear"
}
waitRegistered() {
  waitFor 30 has 'Registrado com ID' "$host_log" || fail "Parvolex did not register"
  id=$(tr -d '\r' <"$host_log" | grep -o 'Registrado com ID: [0-9]*' | head -1 | grep -o '[0-9]*$')
}
# Closing the topmost main window by its caption's close button ends that process (PID, the
# first instance's by default) with status 0.
closeParvolex() {
  local pid=${1:-$host_pid} at
  at=$(mainAt) || fail "no main window to close"
  clickDips "$at" 537 24
  waitFor 15 bash -c "! kill -0 $pid 2>/dev/null" || fail "Parvolex did not end after its close button"
  wait "$pid" || fail "Parvolex exited with $?"
}
startViewer() {  # startViewer LOG ARGS...: account password on standard input
  local log="$work/$1"; shift
  echo "senha-do-tecnico" | "$viewer" "$id" --login tecnico --data "$work/viewdata" \
    --relay-config "$work/view.cfg" "$@" >"$log" 2>&1 &
  viewer_pid=$!; pids+=($viewer_pid)
}


# --- the technician's screens ------------------------------------------------------------------
homeAt() { windowAt 920 700; }
lastStatus() { tr -d '\r' <"$host_log" | grep '\[STATUS\]' | tail -1 | sed 's/^\[STATUS\] //'; }
statusIs() { [ "$(lastStatus)" = "$1" ]; }
expectStatus() {  # expectStatus TEXT WHAT
  waitFor 10 statusIs "$1" || fail "$2: the status line says '$(lastStatus)', not '$1'"
}
logIn() {  # logIn PASSWORD: from the compact view, through "Acessar"
  local at; at=$(mainAt) || fail "no compact window"
  clickDips "$at" 404 24
  sleep 0.5
  enterLogin tecnico "$1"
}
# A Linux host that accepts with control, on the X display HOST_DISPLAY (default: this test's
# screen); further arguments go to parvolex-host.
linux_id="" linux_host_pid=""
startLinuxHost() {
  mkdir -p "$work/hostbin" "$work/hostdata"
  cp "$native/tools/parvolex-host" "$work/hostbin/"
  echo "127.0.0.1:$port $key" >"$work/hostbin/relay.cfg"
  DISPLAY=${HOST_DISPLAY:-$DISPLAY} XDG_DATA_HOME="$work/hostdata" "$work/hostbin/parvolex-host" \
    --accept control "$@" >>"$work/linux-host.log" 2>&1 &
  linux_host_pid=$!; pids+=($linux_host_pid)
  waitFor 15 has 'Registrado com ID' "$work/linux-host.log" || fail "the Linux host did not register"
  linux_id=$(grep -o 'Registrado com ID: [0-9]*' "$work/linux-host.log" | tail -1 | grep -o '[0-9]*$')
}
