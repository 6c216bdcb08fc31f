#!/usr/bin/env bash
# End to end with the technician's screens of Parvolex.exe under Wine: the login screen (wrong
# and right password, "Lembrar neste computador" across a restart, "Sair"), the home screen's
# connect validation, cards from recents, favourites and thumbnails placed in the data folder,
# and the access-password screen. Real X input (xdotool) at the windows' own rectangles;
# screenshots with key pixels into WIN_BUILD/e2e-screenshots/wine_main_window_e2e.
# Usage: tests/e2e/wine_main_window_e2e.sh NATIVE_BUILD WIN_BUILD [SHARED_DIR]   (exit 77: skipped)
e2e_name=wine_main_window_e2e
W=1600 H=1200  # the home screen at 144 DPI is 1380 × 1050 pixels
source "$(dirname "$0")/wine_e2e_common.sh"
command -v xclip >/dev/null || { echo "SKIP $e2e_name: xclip not installed"; exit 77; }

# The visible main window bigger than the compact view, as "X Y WIDTH HEIGHT".
bigMainWindow() {
  local win
  for win in $(xdotool search --onlyvisible --name '^Parvolex$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$win")"
    if [ "$WIDTH" -gt "$(px 560)" ]; then echo "$X $Y $WIDTH $HEIGHT"; return 0; fi
  done
  return 1
}
# pasteInto "X Y" DX DY TEXT: the text through the clipboard (Ctrl+V) into the edit there, then
# the edit's whole content copied back out; prints what the edit holds.
pasteInto() {
  printf '%s' "$4" | xclip -selection clipboard
  clickDips "$1" "$2" "$3"
  xdotool key ctrl+a BackSpace ctrl+v
  sleep 0.5
  printf 'vazio' | xclip -selection clipboard
  xdotool key ctrl+a ctrl+c
  sleep 0.5
  xclip -o -selection clipboard
}
repeatChar() { head -c "$2" /dev/zero | tr '\0' "$1"; }
loginTable="heading        28 60 400 80 text
login-field    300 96 500 116 #101012
submit         426 190 440 212 #E35205
back           330 190 340 212 #2A2A30"

homeTable="background     8 200 26 260 #1E1E21
display-name   600 10 700 38 text
sair           712 12 718 36 #2A2A30
connect-field  400 70 700 106 #101012
conectar       772 74 780 102 #E35205
id-digits      300 204 620 240 text
status-text    44 666 500 686 text"
passwordTable="heading        28 58 400 80 text
new-field      300 96 500 116 #101012
save           426 190 440 212 #E35205
error          28 226 532 250 text"

# The cards, with the pointer on the second one: its border turns to the accent. Cards are
# 176 × 136 DIPs from (28, 400), 190 apart; the picture sits 6 DIPs in. CARD_ROWS: the rows of
# the cards' pictures, which depend on the run.
cardsHover() {  # cardsHover CARD_ROWS
  xdotool mousemove $((${home% *} + $(px 300))) $((${home#* } + $(px 470)))
  shot home-cards "$home" 920 700 "heading        28 370 300 392 text
card1-caption  40 504 180 530 text
card2-hovered  230 396 380 402 text
$1"
}

# === cards: files placed in the data folder before the first start ==============================
mkdir -p "$datadir/thumbs"
now=$(date +%s)
# Bad lines among the good ones, and a thumbnail that is not a picture: the cards must still be
# drawn, the bad thumbnail as the placeholder.
{
  printf '%s\t444555666\tEstacao com imagem\r\n' $((now - 120))
  printf 'linha estragada sem campos\r\n\x01\x02\xff\r\n'
  printf '%s\t777888999\tEstacao sem imagem\r\n' $((now - 7200))
} >"$datadir/recent.txt"
printf '111222333\tServidor\r\n' >"$datadir/favoritos-tecnico.txt"
"$xfix" crop "$picture" 600 300 320 180 "$datadir/thumbs/444555666.bmp" || fail "thumbnail"
head -c 4000 /dev/urandom >"$datadir/thumbs/777888999.bmp"

# === login =======================================================================================
startRelay
startParvolex host-first.log
waitRegistered
clickDips "$(mainAt)" 404 24
shot login-empty "$(mainAt)" 560 300 "$loginTable"

step "bad input in the login edit: 300 pasted characters keep 64, upper case turns lower"
held=$(pasteInto "$(mainAt)" 280 106 "$(repeatChar A 300)")
[ "$held" = "$(repeatChar a 64)" ] || fail "the login edit holds ${#held} characters: '$held'"

step "a wrong password keeps the login screen with the relay's answer"
logIn "errada"
waitFor 15 has 'Login de tecnico recusado' "$host_log" || fail "no refusal logged"
shot login-error "$(mainAt)" 560 300 "$loginTable
error          28 224 532 246 text"

step "the right password, the login typed in capitals, opens the home screen"
at=$(mainAt)
typeInto "$at" 280 106 "TECNICO"
typeInto "$at" 280 152 "senha-do-tecnico"
xdotool key Return
waitFor 20 homeAt >/dev/null || fail "the home screen did not open"
waitFor 10 has 'Login de tecnico aceito' "$host_log" || fail "no accepted login logged"
home=$(homeAt)
shot home "$home" 920 700 "$homeTable"

step "cards: the favourite first, then the recents; a picture, a placeholder; hover; a star click"
cardsHover "card2-picture  240 420 380 490 text
card3-placeholder 416 410 440 430 #36363C"
clickDips "$home" $((408 + 156)) 420
waitFor 10 bash -c "tr -d '\r' <'$datadir/favoritos-tecnico.txt' | grep -q '^777888999'" \
  || fail "the star click did not add the card to the favourites file"
tr -d '\r' <"$datadir/favoritos-tecnico.txt" | grep -q '^111222333' \
  || fail "the star click lost the favourite that was there"

step "the ID edit: spaces dropped, eight digits, empty, this computer's own ID, 300 pasted"
typeInto "$home" 200 88 ""
xdotool key Return
expectStatus "Digite o código do computador remoto" "empty ID"
typeInto "$home" 200 88 "1234 5678"
xdotool key Return
expectStatus "O código tem 9 números" "eight digits"
typeInto "$home" 200 88 "${id:0:3} ${id:3:3} ${id:6:3}"
xdotool key Return
expectStatus "Esse é o ID deste computador" "own ID"
held=$(pasteInto "$home" 200 88 "$(repeatChar 7 300)")
[ "${#held}" = 255 ] || fail "the ID edit holds ${#held} characters after a paste of 300"
typeInto "$home" 200 88 "123 456 789"
xdotool key Return
waitFor 10 has 'Conectando via relay, ID 123456789' "$host_log" \
  || fail "nine digits with spaces did not start a connection to the nine digits"
expectStatus "ID nao encontrado ou computador offline" "an ID nobody has"

step "Conectar to a computer that accepts: its screen in a viewer window, closed by its button"
startLinuxHost
typeInto "$home" 200 88 "$linux_id"
xdotool key Return
waitFor 30 has "Acesso aceito (controle=1) $linux_id" "$host_log" || fail "the host did not accept"
waitFor 20 bash -c "tr -d '\r' <'$host_log' | grep -q '^\[STATUS\] Visualizando $linux_id'" ||
  fail "the viewer window did not open: the status line says '$(lastStatus)'"
waitFor 10 viewerWindow >/dev/null || fail "no viewer window at (40, 40)"
viewerWin=$(viewerWindow)
eval "$(xdotool getwindowgeometry --shell "$viewerWin")"
# Grabbed once the first frame is in the view (this screen, with the home window on it), not the
# empty view of the window's first moment.
shot viewer "$X $Y" "$WIDTH" "$HEIGHT" "view-picture   200 300 900 800 text"
xdotool mousemove $((X + WIDTH - $(px 23))) $((Y + $(px 24))) click 1  # its close button
expectStatus "Pronto. Aguardando conexão..." "the viewer window closed"
waitFor 10 bash -c "tr -d '\r' <'$datadir/recent.txt' | grep -q '	$linux_id	'" \
  || fail "the session was not recorded in the recents"
tr -d '\r' <"$datadir/recent.txt" | grep -q '	444555666	' || fail "a recent was lost"

step "the home window dragged smaller than its minimum stops at 720 × 640 DIPs"
read -r x y w h <<<"$(bigMainWindow)"
xdotool mousemove $((x + w - 2)) $((y + h - 2)) mousedown 1
sleep 0.3
xdotool mousemove $((x + 300)) $((y + 200))
sleep 0.3
xdotool mouseup 1
sleep 0.5
read -r x y w h <<<"$(bigMainWindow)"
[ "$w" = "$(px 720)" ] && [ "$h" = "$(px 640)" ] || fail "the home window is ${w}x$h after the drag"

step "remembered, the next start is logged in without typing"
xdotool mousemove $((x + w - $(px 23))) $((y + $(px 24))) click 1  # the close button
waitFor 15 bash -c "! kill -0 $host_pid 2>/dev/null" || fail "Parvolex did not end after its close button"
wait "$host_pid" || fail "Parvolex exited with $?"
[ -f "$datadir/login.bin" ] || fail "no saved login after a remembered login"
startParvolex host-second.log
waitRegistered
# The saved login does not open the home screen by itself; "Acessar" goes straight to it.
clickDips "$(mainAt)" 404 24
waitFor 20 bigMainWindow >/dev/null || fail "the saved login did not open the home screen"

step "Sair returns to the compact view and forgets the saved login"
read -r x y w h <<<"$(bigMainWindow)"
xdotool mousemove $((x + w - $(px 180))) $((y + $(px 24))) click 1
waitFor 20 mainAt >/dev/null || fail "Sair did not return to the compact view"
[ -f "$datadir/login.bin" ] && fail "the saved login outlived Sair"

step "the access-password screen: too short, not alike, saved, removed"
at=$(mainAt)
clickDips "$at" 280 $((105 + 89))
sleep 0.5
typeInto "$at" 280 106 "curta"
typeInto "$at" 280 152 "curta"
xdotool key Return
shot password-short "$at" 560 300 "$passwordTable"
typeInto "$at" 280 106 "senha-longa-1"
typeInto "$at" 280 152 "senha-longa-2"
xdotool key Return
shot password-mismatch "$at" 560 300 "$passwordTable"
typeInto "$at" 280 106 "senha-sem-aviso"
typeInto "$at" 280 152 "senha-sem-aviso"
xdotool key Return
expectStatus "Senha de acesso definida" "saving the password"
[ -f "$datadir/unattended.bin" ] || fail "no password file after saving"
echo "senha-sem-aviso" >"$work/remote-password"
startViewer view-unattended.log --frames 1 --remote-password-file "$work/remote-password"
wait "$viewer_pid" || fail "the viewer with the new password was not admitted"
clickDips "$(mainAt)" 280 $((105 + 89))
sleep 0.5
clickDips "$(mainAt)" 266 201
expectStatus "Senha de acesso removida" "removing the password"
[ -f "$datadir/unattended.bin" ] && fail "the password file outlived Remover"
closeParvolex

# === the same screens at 144 DPI, and an account disabled while logged in ========================
step "144 DPI: login, home with a hovered card, password screen"
px_wine_stop
px_wine_set_dpi 144
dpi=144
startParvolex host-144.log
waitRegistered
clickDips "$(mainAt)" 404 24
shot login-empty "$(mainAt)" 560 300 "$loginTable"
logIn "errada"
waitFor 15 has 'Login de tecnico recusado' "$host_log" || fail "no refusal logged at 144 DPI"
shot login-error "$(mainAt)" 560 300 "$loginTable
error          28 224 532 246 text"
logIn "senha-do-tecnico"
waitFor 20 homeAt >/dev/null || fail "the home screen did not open at 144 DPI"
home=$(homeAt)
shot home "$home" 920 700 "$homeTable"
# The starred card is a favourite now, after "Servidor"; the first run's session comes third (not
# judged: whether it has a thumbnail depends on how many frames came before its window closed).
cardsHover "card1-placeholder 46 410 70 430 #36363C
card2-placeholder 236 410 260 430 #36363C
card4-picture  620 420 760 490 text"

step "an account disabled on the relay: the next Conectar asks for the login again"
"$relay" account disable tecnico --data "$work/relay" >>"$work/account.log" 2>&1 || fail "account disable"
typeInto "$home" 200 88 "$linux_id"
xdotool key Return
waitFor 20 mainAt >/dev/null || fail "an expired login did not bring back the login screen"
shot login-expired "$(mainAt)" 560 300 "$loginTable
error          28 224 532 246 text"
clickDips "$(mainAt)" 367 201  # Voltar
sleep 0.5
clickDips "$(mainAt)" 280 194
sleep 0.5
shot password "$(mainAt)" 560 300 "heading        28 58 400 80 text
new-field      300 96 500 116 #101012
save           426 190 440 212 #E35205"
closeParvolex

# === a relay that never answers a login ==========================================================
step "a relay that accepts and stays silent: the login ends with its failure, the window usable"
px_wine_stop
px_wine_set_dpi 96
dpi=96
silent_port=$((port + 1))
python3 -c "
import socket, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(('127.0.0.1', $silent_port)); s.listen(16); held = []
while True: held.append(s.accept())
" >"$work/silent.log" 2>&1 & pids+=($!)
echo "127.0.0.1:$silent_port $key" >"$work/bin/relay.cfg"
startParvolex host-silent.log
at=$(mainAt)
clickDips "$at" 404 24
sleep 0.5
typeInto "$at" 280 106 "tecnico"
typeInto "$at" 280 152 "senha-do-tecnico"
xdotool key Return
sleep 2
# The window still answers while the login waits: a drag by the caption moves it.
xdotool mousemove $((${at% *} + $(px 100))) $((${at#* } + $(px 20))) mousedown 1
sleep 0.3
xdotool mousemove_relative 120 40
sleep 0.3
xdotool mouseup 1
sleep 0.5
[ "$(mainAt)" != "$at" ] || fail "the window did not move while the login waited"
waitFor 30 has 'Falha no login: Erro: servidor relay nao respondeu' "$host_log" \
  || fail "the silent relay's login did not end with its failure"
shot login-silent-relay "$(mainAt)" 560 300 "$loginTable
error          28 224 532 246 text"
closeParvolex

echo "PASS $e2e_name: screenshots in $shots"
