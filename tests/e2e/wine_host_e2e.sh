#!/usr/bin/env bash
# End to end with Parvolex.exe as the host under Wine: a real relay and the headless viewer on
# Linux, the exe (64-bit test build) on an Xvfb screen showing a corpus picture through a Wine
# fixture window. Driven by real X input (xdotool) at the windows' own rectangles. Writes
# screenshots (PNG) of the main window, the access prompt and the chat window at 96 and 144 DPI
# into WIN_BUILD/e2e-screenshots and checks key pixels of each.
# Usage: tests/e2e/wine_host_e2e.sh NATIVE_BUILD WIN_BUILD [SHARED_DIR]   (exit 77: skipped)
e2e_name=wine_host_e2e
source "$(dirname "$0")/wine_e2e_common.sh"

# --- key pixels (DIPs of each window) --------------------------------------------------------
mainTable() {  # mainTable REGISTERED(0|1) SESSION(0|1) CHAT(0|1)
  local dot="#9A9CA6" card=105
  [ "$1" = 1 ] && dot="#30D158"
  [ "$2" = 1 ] && dot="#E35205" card=91
  echo "background     8 60 120 84 #1E1E21"
  echo "caption-title  42 8 120 40 text"
  echo "separator      60 47.3 340 48 #36363C"
  echo "accent-access  356 14 378 34 #E35205"
  echo "status-dot     31 274 33 276 $dot"
  echo "status-text    44 266 320 286 text"
  echo "card-label     200 $((card + 2)) 360 $((card + 20)) text"
  if [ "$1" = 1 ]; then echo "id-digits      150 $((card + 20)) 410 $((card + 56)) text"; fi
  if [ "$2" = 1 ] && [ "$3" = 1 ]; then
    echo "chat-button    163 $((card + 98)) 175 $((card + 126)) #2A2A30"
    echo "disconnect     257 $((card + 98)) 272 $((card + 126)) #2A2A30"
  elif [ "$2" = 1 ]; then
    echo "disconnect     210 $((card + 98)) 226 $((card + 126)) #2A2A30"
  fi
}
promptTable="background     8 60 26 200 #1E1E21
separator      60 47.3 400 48 #36363C
heading        28 68 300 100 text
accent-accept  306 310 330 338 #E35205
refuse-fill    174 310 190 338 #2A2A30
check-box      30 236 33 240 #E35205"
chatTable="background     20 90 320 200 #1E1E21
title          16 0 120 36 text
edit-field     24 440 300 462 #101012"

# --- one session, accepted through the prompt, at the current DPI -----------------------------
acceptedSession() {  # acceptedSession TAG
  local tag=$1
  # The click lands on the fixture (outside every Parvolex window); typing follows it there.
  startViewer "view-$tag.log" --frames 1 --click 120,700 --type "ola wine" --chat "ola do tecnico" \
    --snapshot "$work/snap-$tag.png" --stay 60
  local session_viewer=$viewer_pid at
  waitFor 30 promptAt >/dev/null || fail "the access prompt did not appear"
  sleep 0.5
  at=$(promptAt)
  shot prompt "$at" 460 360 "$promptTable"
  if [ "$dpi" = 96 ]; then
    step "a viewer arriving while the prompt is open is refused as busy"
    startViewer "view-busy.log" --frames 1
    wait "$viewer_pid" && fail "the busy host let a second viewer in"
    waitFor 10 has 'Conexao recusada (ocupado)' "$host_log" || fail "no busy refusal in the log"
    promptAt >/dev/null || fail "the prompt went away with the busy refusal"
  fi
  step "accept with a real click on the prompt's accept button"
  clickDips "$at" 366 324
  waitFor 30 has 'Snapshot' "$work/view-$tag.log" || fail "the viewer took no snapshot"
  waitFor 20 chatAt >/dev/null || fail "the viewer's chat did not open the chat window"
  sleep 0.5
  if [ "$dpi" = 96 ]; then
    step "the viewer's snapshot shows the Wine screen"
    local m c skips
    m=$(mainAt); c=$(chatAt)
    read -r mx my <<<"$m"; read -r cx cy <<<"$c"
    skips="--skip $mx,$my,$(px 560),$(px 300) --skip $cx,$cy,$(px 340),$(px 480)"
    # Wine's JPEG encoder ignores the quality and subsampling asked of it, so photo tiles from
    # this host carry about half again the error of the Linux host's; lossless tiles stay exact.
    skips+=" --mean-error 8"
    # shellcheck disable=SC2086
    "$xfix" compare "$work/snap-$tag.png" "$picture" $X0 $Y0 $skips >"$work/compare.out" 2>&1 \
      || { cat "$work/compare.out"; fail "snapshot differs from the screen"; }
    cat "$work/compare.out"
    step "the viewer's click and typing reach the fixture window"
    waitFor 10 has 'click 120,700 1' "$work/fixture.log" || fail "the click did not reach the fixture"
    typed() { [ "$(tr -d '\r' <"$work/fixture.log" | sed -n 's/^key //p' | tr -d '\n')" = "ola wine" ]; }
    waitFor 10 typed || fail "the typing did not reach the fixture"
  fi
  shot chat "$(chatAt)" 340 480 "$chatTable
received       12 390 120 426 text"
  # Focusing the fixture raised it over the main window; raise that again as a person would.
  raiseMain
  shot main-session "$(mainAt)" 560 300 "$(mainTable 1 1 1)"
  step "a reply typed in the chat window reaches the viewer"
  clickDips "$(chatAt)" 150 450
  xdotool type --delay 20 "obrigado, pode ver"
  xdotool key Return
  waitFor 15 has 'Chat recebido: obrigado, pode ver' "$work/view-$tag.log" || fail "the reply did not reach the viewer"
  step "Desconectar ends the session"
  clickDips "$(mainAt)" 327 $((91 + 112))
  wait "$session_viewer" || fail "the viewer failed at the end of the session"
  has 'encerrada pelo computador remoto' "$work/view-$tag.log" || fail "the viewer did not see the host's Bye"
  waitFor 10 bash -c "tr -d '\r' <'$host_log' | grep '\[STATUS\]' | tail -1 | grep -q 'Pronto. Aguardando'" \
    || fail "the status line did not return to ready"
  waitFor 10 bash -c '! xdotool search --onlyvisible --name "^Chat$" >/dev/null 2>&1' \
    || fail "the chat window outlived the session"
}

# === at 96 DPI ===================================================================================
startFixture
step "Parvolex.exe starts before the relay runs: no ID yet"
startParvolex host-96.log
sleep 1
shot main-unregistered "$(mainAt)" 560 300 "$(mainTable 0 0 0)"
step "the relay starts; Parvolex registers and shows its ID"
startRelay
waitRegistered
sleep 0.5
shot main-registered "$(mainAt)" 560 300 "$(mainTable 1 0 0)"
step "clicking the ID copies it and says so"
clickDips "$(mainAt)" 280 $((105 + 38))
waitFor 10 has '\[STATUS\] ID copiado' "$host_log" || fail "no 'ID copiado' on the status line"
if command -v xclip >/dev/null; then
  copied=$(xclip -selection clipboard -o 2>/dev/null | tr -d '\r\0')
  [ "$copied" = "$id" ] || fail "the clipboard holds '$copied', not the ID $id"
fi

acceptedSession first

step "the relay goes away and comes back: Parvolex registers again with the same ID"
before=$(count 'Registrado com ID' "$host_log")
kill "$relay_pid"; wait "$relay_pid" 2>/dev/null
waitFor 10 has 'Conexao com relay perdida' "$host_log" || fail "Parvolex did not notice the relay going"
startRelay
waitFor 30 bash -c "[ \$(tr -d '\r' <'$host_log' | grep -c 'Registrado com ID: $id') -gt $before ]" \
  || fail "Parvolex did not register again after the relay came back"

step "the refuse button refuses and its text stays on the status line"
startViewer view-refused.log --frames 1
waitFor 30 promptAt >/dev/null || fail "no prompt for the refused viewer"
sleep 0.3
clickDips "$(promptAt)" 228 324
wait "$viewer_pid" && fail "the refused viewer got in"
waitFor 10 has 'Acesso recusado.' "$host_log" || fail "no refusal on the status line"
sleep 1
tr -d '\r' <"$host_log" | grep '\[STATUS\]' | tail -1 | grep -q 'Acesso recusado.' \
  || fail "the refusal text did not stay on the status line"

step "with an unattended password stored, the right password enters without a prompt"
closeParvolex
XDG_DATA_HOME="$work/linuxdata" "$native/tools/parvolex-host" --set-password <<<"senha-sem-aviso" \
  >"$work/set-password.log" 2>&1 || fail "could not make the password file"
cp "$work/linuxdata/Parvolex/unattended.bin" "$datadir/" || fail "password file"
echo "senha-sem-aviso" >"$work/remote-password"
startParvolex host-96b.log
waitRegistered
startViewer view-unattended.log --frames 1 --remote-password-file "$work/remote-password" \
  --snapshot "$work/snap-unattended.png"
wait "$viewer_pid" || fail "the viewer with the unattended password was not admitted"
promptAt >/dev/null && fail "a prompt appeared for the unattended password"

step "a second Parvolex.exe runs in access-only mode"
(cd "$work/bin" && exec "$px_wine" Parvolex.exe) >"$work/second.log" 2>&1 &
second_pid=$!; pids+=($second_pid)
waitFor 20 has 'modo somente acesso' "$work/second.log" || fail "the second instance did not log access-only mode"
has 'Registrando no relay' "$work/second.log" && fail "the second instance registered"
sleep 1
# Both windows open centred; the newer one is on top.
shot main-access-only "$(mainAt)" 560 300 "$(mainTable 0 0 0)"
closeParvolex "$second_pid"
closeParvolex
rm -f "$datadir/unattended.bin"
px_wine_stop
wineserver -w

# === at 144 DPI ==================================================================================
dpi=144
px_wine_set_dpi 144
startFixture
step "at 144 DPI: the windows scale and the same session works"
startParvolex host-144.log
waitRegistered
sleep 0.5
shot main-registered "$(mainAt)" 560 300 "$(mainTable 1 0 0)"
acceptedSession hidpi
closeParvolex

echo "PASS wine_host_e2e: screenshots in $shots"
