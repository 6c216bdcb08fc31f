#!/usr/bin/env bash
# End to end with the technician's viewer window of Parvolex.exe under Wine, on two X displays so
# that the viewer never captures itself: display A has the Linux parvolex-host and a fixture
# window showing a corpus picture; Parvolex.exe runs on display B (this test's screen), logs in
# and connects by ID with real X input (xdotool). Checks the picture in the view (scaled with its
# aspect kept), typing, clicks and the wheel reaching display A at the mapped pixels, the remote
# pointer's shape, chat both ways, the close button's Bye and the card with its thumbnail, and
# the monitor tabs of a host split into two RandR monitors. Screenshots into
# WIN_BUILD/e2e-screenshots/wine_viewer_e2e.
# Usage: tests/e2e/wine_viewer_e2e.sh NATIVE_BUILD WIN_BUILD [SHARED_DIR]   (exit 77: skipped)
e2e_name=wine_viewer_e2e
W=1600 H=1200
source "$(dirname "$0")/wine_e2e_common.sh"

# --- display A: the host's screen ----------------------------------------------------------------
AW=1280 AH=720 AX0=400 AY0=200
HOST_DISPLAY=:$((700 + RANDOM % 200))
Xvfb "$HOST_DISPLAY" -screen 0 ${AW}x${AH}x24 -nolisten tcp -noreset >"$work/xvfb-a.log" 2>&1 &
pids+=($!)
onA() { DISPLAY=$HOST_DISPLAY "$@"; }
waitFor 5 onA xdotool getmouselocation >/dev/null 2>&1 || fail "display A did not start"
startFixtureA() {
  onA "$xfix" show "$picture" $AX0 $AY0 >>"$work/fixture-a.log" 2>&1 & pids+=($!)
  waitFor 10 has ready "$work/fixture-a.log" || fail "the fixture window on display A did not appear"
}
startFixtureA
fixtureLines() { tr -d '\r' <"$work/fixture-a.log" | grep "^$1 "; }
typedOnA() { fixtureLines key | cut -c5- | tr -d '\n'; }
# The host's chat lines: the longest a line may be, with control characters (the panel keeps its
# first 500 characters, the controls as spaces), then a short one with a tab.
longChat="longa"$'\x01\x07\x1b'"$(head -c 7992 /dev/zero | tr '\0' 'z')"
hostChat="ola do host"$'\t'"com tab"

# --- the viewer window -------------------------------------------------------------------------
VX=0 VY=0 VW=0 VH=0  # the view, in screen pixels of display B
findViewer() {  # findViewer CHAT_PANEL_SHOWN(0|1) [AT]
  waitFor 20 viewerWindow "${2:-40}" >/dev/null || fail "no viewer window at (${2:-40}, ${2:-40})"
  viewerWin=$(viewerWindow "${2:-40}")
  eval "$(xdotool getwindowgeometry --shell "$viewerWin")"
  VX=$((X + $(px 16))) VY=$((Y + $(px 116)))
  VW=$((WIDTH - 2 * $(px 16) - $1 * $(px 280))) VH=$((HEIGHT - $(px 116) - $(px 16)))
}
# remotePoint VIEW_X VIEW_Y SCREEN_W SCREEN_H: the remote pixel the viewer maps a view pixel to.
remotePoint() {
  awk -v x="$1" -v y="$2" -v vw="$VW" -v vh="$VH" -v sw="$3" -v sh="$4" 'BEGIN {
    s = vw / sw; if (vh / sh < s) s = vh / sh
    fw = sw * s; fh = sh * s; left = (vw - fw) / 2; top = (vh - fh) / 2
    printf "%d %d\n", int((x - left) / fw * sw), int((y - top) / fh * sh) }'
}
# viewShows NAME X0 Y0 SW SH: the view holds the picture's part at (X0, Y0) of that size.
viewShows() {
  local file="$shots/$1.png"
  "$xfix" grab "$file" "$VX" "$VY" "$VW" "$VH" >/dev/null &&
    "$xfix" compare-fit "$file" "$picture" "$2" "$3" "$4" "$5" >"$work/fit-$1.out" 2>&1
}
expectView() {  # expectView NAME X0 Y0 SW SH WHAT
  waitFor 20 viewShows "$1" "$2" "$3" "$4" "$5" || { cat "$work/fit-$1.out"; fail "$6"; }
  echo "   $1.png: $(tail -1 "$work/fit-$1.out")"
}
# The bar's buttons on the row 3 DIPs below their top, by fill: "X0 X1" lines in window pixels.
barButtons() {  # barButtons COLOUR
  "$xfix" grab "$work/bar.png" "$X" "$Y" "$WIDTH" "$(px 120)" >/dev/null
  "$xfix" runs "$work/bar.png" "$(px 72)" "$1"
}
clickWindowPx() {  # clickWindowPx X Y (window pixels)
  xdotool mousemove $((X + $1)) $((Y + $2))
  sleep 0.2
  xdotool click 1
}

# --- the session -----------------------------------------------------------------------------------
startRelay
startParvolex viewer-main.log
waitRegistered
HOST_DISPLAY=$HOST_DISPLAY startLinuxHost --chat "$longChat" --chat "$hostChat"
logIn "senha-do-tecnico"
waitFor 20 homeAt >/dev/null || fail "the home screen did not open"
home=$(homeAt)

step "Conectar by ID: the viewer window shows display A scaled with its aspect kept"
typeInto "$home" 200 88 "$linux_id"
xdotool key Return
waitFor 30 has "Acesso aceito (controle=1) $linux_id" "$host_log" || fail "the host did not accept"
findViewer 1
ww=$(( (WIDTH * 96 + dpi / 2) / dpi )) wh=$(( (HEIGHT * 96 + dpi / 2) / dpi ))  # in DIPs
step "the host's chat lines open the panel: the last one sits at the foot of the message list"
shot viewer-chat "$X $Y" "$ww" "$wh" "panel-line     $((ww - 268)) $((wh - 100)) $((ww - 28)) $((wh - 74)) text"
expectView view-with-chat $AX0 $AY0 $AW $AH "the view does not show display A's picture"

step "a click at a view point lands at the mapped pixel of display A; the wheel scrolls there"
cx=$((VW / 3)) cy=$((VH / 2))
read -r rx ry <<<"$(remotePoint $cx $cy $AW $AH)"
clicksBefore=$(fixtureLines click | wc -l)
xdotool mousemove $((VX + cx)) $((VY + cy))
sleep 0.3
xdotool click 1
waitFor 10 bash -c "[ \$(tr -d '\r' <'$work/fixture-a.log' | grep -c '^click ') -gt $clicksBefore ]" ||
  fail "the click did not reach display A"
read -r gx gy gb <<<"$(fixtureLines click | tail -1 | sed 's/^click //; s/,/ /')"
[ "$gb" = 1 ] && [ $((gx - rx)) -ge -1 ] && [ $((gx - rx)) -le 1 ] && [ $((gy - ry)) -ge -1 ] &&
  [ $((gy - ry)) -le 1 ] || fail "the click landed at $gx,$gy button $gb, not at $rx,$ry"
echo "   view $cx,$cy -> display A $gx,$gy (mapped $rx,$ry)"
xdotool click 5
xdotool click 4
waitFor 10 bash -c "tr -d '\r' <'$work/fixture-a.log' | grep -q '^click [0-9,]* 5\$'" ||
  fail "the wheel down did not reach display A"
waitFor 10 bash -c "tr -d '\r' <'$work/fixture-a.log' | grep -q '^click [0-9,]* 4\$'" ||
  fail "the wheel up did not reach display A"

step "the host's pointer shape shows over the view"
onA xdotool mousemove $((AW / 2)) $((AH / 2))
read -r _ aw ah ahx ahy _ <<<"$(onA "$xfix" cursor)"
xdotool mousemove $((VX + VW / 2)) $((VY + VH / 2))
sameCursor() {
  read -r _ bw bh bhx bhy _ <<<"$("$xfix" cursor)"
  [ "$bw $bh $bhx $bhy" = "$aw $ah $ahx $ahy" ]
}
waitFor 10 sameCursor || fail "the pointer over the view is ${bw}x${bh} hot $bhx,$bhy, display A's ${aw}x${ah} hot $ahx,$ahy"
echo "   display A's crosshair ${aw}x${ah} hot $ahx,$ahy is the pointer over the view"

step "typing in the view reaches display A as the same characters"
xdotool type --delay 60 'Ab1!,.;Z9?'
waitFor 10 bash -c "[ \"\$(tr -d '\r' <'$work/fixture-a.log' | grep '^key ' | cut -c5- | tr -d '\n')\" = 'Ab1!,.;Z9?' ]" ||
  fail "typed 'Ab1!,.;Z9?', display A got '$(typedOnA)'"

step "chat: a line typed in the panel reaches the host; the toggle closes the panel"
xdotool mousemove $((X + WIDTH - $(px 150))) $((Y + HEIGHT - $(px 45)))
sleep 0.2
xdotool click 1
xdotool type --delay 30 "ola do tecnico"
xdotool key Return
waitFor 10 has '\[HOST\] Chat: ola do tecnico' "$work/linux-host.log" || fail "the chat line did not reach the host"
read -r tx0 tx1 <<<"$(barButtons '#E35205' | head -1)"
[ -n "${tx0:-}" ] || fail "no lit chat toggle in the bar"
clickWindowPx $(((tx0 + tx1) / 2)) "$(px 82)"
xdotool mousemove $((X + 10)) $((Y + HEIGHT / 2))  # off the toggle and the view: no hover
findViewer 0
[ "$VW" = "$AW" ] && [ "$VH" = "$AH" ] ||
  fail "the view is ${VW}x${VH}, not display A's ${AW}x${AH}: a picture that fits is not shown pixel for pixel"
expectView view-whole $AX0 $AY0 $AW $AH "with the panel closed the view does not show display A's picture"
"$xfix" grab "$shots/viewer-window.png" "$X" "$Y" "$WIDTH" "$HEIGHT" >/dev/null

step "right clicks change display A frame by frame: the session decodes enough frames for a thumbnail"
xdotool mousemove $((VX + VW / 2)) $((VY + VH / 2))
for _ in $(seq 16); do xdotool click 3; sleep 0.3; done  # even: the square ends as it began
waitFor 10 bash -c "[ \$(tr -d '\r' <'$work/fixture-a.log' | grep -c '^click [0-9,]* 3\$') = 16 ]" ||
  fail "the right clicks did not all reach display A"

step "closing the viewer window ends the session with Bye; the card shows the thumbnail"
xdotool mousemove $((X + WIDTH - $(px 23))) $((Y + $(px 24))) click 1
expectStatus "Pronto. Aguardando conexão..." "the viewer window closed"
hostIdle() { [ "$(tr -d '\r' <"$work/linux-host.log" | grep '^\[STATUS\]' | tail -1)" = "[STATUS] Pronto. Aguardando conexão..." ]; }
waitFor 10 hostIdle || fail "the host did not end the session"
[ -s "$datadir/thumbs/$linux_id.bmp" ] || fail "no thumbnail for $linux_id"
shot home-card "$home" 920 700 "card-picture   40 420 180 490 text
card-caption   40 504 180 530 text"

step "display A split into two monitors: two tabs, \"Tela 2\" shows the right half"
onA "$xfix" split-monitors >"$work/monitors.log" 2>&1 || fail "split-monitors: $(cat "$work/monitors.log")"
kill "$linux_host_pid"; wait "$linux_host_pid" 2>/dev/null
HOST_DISPLAY=$HOST_DISPLAY startLinuxHost
typeInto "$home" 200 88 "$linux_id"
xdotool key Return
waitFor 30 bash -c "[ \$(tr -d '\r' <'$host_log' | grep -c 'Acesso aceito (controle=1) $linux_id') -ge 2 ]" ||
  fail "the host did not accept the second session"
findViewer 0 68  # the cascade's second place
half=$((AW / 2))
expectView view-tela1 $AX0 $AY0 $half $AH "the view does not show the left monitor"
tabs=$(barButtons '#2A2A30')
read -r t0 t1 <<<"$(echo "$tabs" | tail -1)"
[ "$(echo "$tabs" | wc -l)" -ge 2 ] || fail "no second tab: buttons '$tabs'"
clickWindowPx $(((t0 + t1) / 2)) "$(px 82)"
xdotool mousemove $((X + 10)) $((Y + HEIGHT / 2))
expectView view-tela2 $((AX0 + half)) $AY0 $half $AH "after \"Tela 2\" the view does not show the right monitor"
"$xfix" grab "$shots/viewer-tela2-window.png" "$X" "$Y" "$WIDTH" "$HEIGHT" >/dev/null

step "minimised while display A changes, then restored: the view shows display A again"
xdotool windowminimize "$viewerWin"
sleep 1
onA xdotool mousemove $((half + 100)) 100 click 3  # a square of the right monitor inverted
sleep 1
xdotool windowmap "$viewerWin"
xdotool windowactivate "$viewerWin" 2>/dev/null
sleep 0.5
onA xdotool mousemove $((half + 100)) 100 click 3  # and back as it was
findViewer 0 68
expectView view-restored $((AX0 + half)) $AY0 $half $AH "after a minimise and restore the view is not the right monitor"

step "dragged towards 1 × 1 while display A changes: the window stops at its minimum size, the picture fitted"
xdotool mousemove $((X + WIDTH - 2)) $((Y + HEIGHT - 2)) mousedown 1
sleep 0.3
xdotool mousemove $((X + 1)) $((Y + 1))
sleep 0.3
xdotool mouseup 1
onA xdotool mousemove $((half + 100)) 100 click 3
sleep 1
onA xdotool click 3
sleep 1
findViewer 0 68
[ "$WIDTH" = "$(px 640)" ] && [ "$HEIGHT" = "$(px 420)" ] ||
  fail "the window is ${WIDTH}x${HEIGHT} after a drag towards 1 x 1, not its minimum"
expectView view-smallest $((AX0 + half)) $AY0 $half $AH "the smallest window's view does not show the monitor fitted"
"$xfix" grab "$shots/viewer-smallest-window.png" "$X" "$Y" "$WIDTH" "$HEIGHT" >/dev/null

step "a key held when the focus leaves the view is released on display A"
xdotool mousemove $((VX + 20)) $((VY + 20)) click 1
xdotool keydown shift
sleep 0.5
clickDips "$(homeAt)" 460 600  # the home window takes the focus
sleep 0.5
xdotool keyup shift
onA xdotool type --delay 50 "x"
waitFor 10 bash -c "tr -d '\r' <'$work/fixture-a.log' | grep -q '^key x\$'" ||
  fail "display A still has Shift held after the focus left the view: it typed '$(fixtureLines key | tail -1)'"
xdotool windowactivate "$viewerWin" 2>/dev/null
findViewer 0 68
xdotool mousemove $((X + WIDTH - $(px 23))) $((Y + $(px 24))) click 1
expectStatus "Pronto. Aguardando conexão..." "the second viewer window closed"

step "Windows to Windows: Parvolex.exe as the host in its own prefix on display C"
CW=1024 CH=768
C_DISPLAY=:$((500 + RANDOM % 190))
Xvfb "$C_DISPLAY" -screen 0 ${CW}x${CH}x24 -nolisten tcp -noreset >"$work/xvfb-c.log" 2>&1 & pids+=($!)
waitFor 5 env DISPLAY=$C_DISPLAY xdotool getmouselocation >/dev/null 2>&1 || fail "display C did not start"
mkdir -p "$work/c"
(px_wine_prefix "$work/c" 96) || fail "second Wine prefix"
second_prefix="$work/c/prefix"
onC() {
  DISPLAY=$C_DISPLAY WINEPREFIX=$second_prefix XDG_CACHE_HOME="$work/c/cache" \
    XDG_CONFIG_HOME="$work/c/config" XDG_DATA_HOME="$work/c/data" MESA_SHADER_CACHE_DIR="$work/c/mesa" "$@"
}
"$xfix" crop "$picture" $X0 $Y0 $CW $CH "$work/c-screen.bmp" || fail "crop for display C"
: >"$work/fixture-c.log"
onC "$px_wine" "$wfix" show 'Z:'"$(echo "$work/c-screen.bmp" | tr / '\\')" >"$work/fixture-c.log" 2>&1 &
pids+=($!)
waitFor 20 has ready "$work/fixture-c.log" || fail "the Wine fixture did not appear on display C"
mkdir -p "$work/cbin"
cp "$work/bin/"* "$work/cbin/"
(cd "$work/cbin" && onC "$px_wine" Parvolex.exe) >"$work/host-c.log" 2>&1 &
c_pid=$!; pids+=($c_pid)
waitFor 30 has 'Registrado com ID' "$work/host-c.log" || fail "Parvolex.exe on display C did not register"
c_id=$(tr -d '\r' <"$work/host-c.log" | grep -o 'Registrado com ID: [0-9]*' | head -1 | grep -o '[0-9]*$')
typeInto "$home" 200 88 "$c_id"
xdotool key Return
waitFor 30 env DISPLAY=$C_DISPLAY bash -c "source '$root/scripts/x-windows.sh'; windowAt 460 360 >/dev/null" ||
  fail "no access prompt on display C"
sleep 0.5
cPrompt=$(DISPLAY=$C_DISPLAY windowAt 460 360)
DISPLAY=$C_DISPLAY clickDips "$cPrompt" 366 324  # "Aceitar"
waitFor 30 has "Acesso aceito (controle=1) $c_id" "$host_log" || fail "the Windows host did not accept"
findViewer 0 96  # the cascade's third place
cMain=$(DISPLAY=$C_DISPLAY mainAt) || fail "no main window on display C"
read -r cmx cmy <<<"$cMain"
cSkip="--skip $cmx,$cmy,$(px 560),$(px 300)"
# shellcheck disable=SC2086
waitFor 20 bash -c "'$xfix' grab '$shots/view-windows-host.png' $VX $VY $VW $VH >/dev/null &&
  '$xfix' compare-fit '$shots/view-windows-host.png' '$picture' $X0 $Y0 $CW $CH $cSkip >'$work/fit-c.out' 2>&1" ||
  { cat "$work/fit-c.out"; fail "the view does not show display C"; }
echo "   view-windows-host.png: $(tail -1 "$work/fit-c.out")"
xdotool mousemove $((VX + 40)) $((VY + 40))
sleep 0.3
xdotool click 1
xdotool type --delay 60 "Ola W2W"
typedOnC() { [ "$(tr -d '\r' <"$work/fixture-c.log" | sed -n 's/^key //p' | tr -d '\n')" = "Ola W2W" ]; }
waitFor 10 typedOnC || fail "typed 'Ola W2W', display C's fixture got '$(tr -d '\r' <"$work/fixture-c.log" | sed -n 's/^key //p' | tr -d '\n')'"
"$xfix" grab "$shots/viewer-windows-host-window.png" "$X" "$Y" "$WIDTH" "$HEIGHT" >/dev/null
xdotool mousemove $((X + WIDTH - $(px 23))) $((Y + $(px 24))) click 1
expectStatus "Pronto. Aguardando conexão..." "the viewer of the Windows host closed"
waitFor 10 bash -c "tr -d '\r' <'$work/host-c.log' | grep '\[STATUS\]' | tail -1 | grep -q 'Pronto. Aguardando'" ||
  fail "the Windows host did not end the session"
DISPLAY=$C_DISPLAY raiseMain  # the viewer's click raised the fixture over it
DISPLAY=$C_DISPLAY closeParvolex "$c_pid"

step "the home window's close button ends Parvolex"
clickDips "$(homeAt)" $((920 - 23)) 24
waitFor 15 bash -c "! kill -0 $host_pid 2>/dev/null" || fail "Parvolex did not end after its close button"
wait "$host_pid" || fail "Parvolex exited with $?"
echo "PASS $e2e_name"
