#!/usr/bin/env bash
# End to end with the technician's screens of Parvolex.exe under Wine: the login screen (wrong
# and right password, "Lembrar neste computador" across a restart, "Sair"), the home screen's
# connect validation, cards from recents, favourites and thumbnails placed in the data folder,
# and the access-password screen. Real X input (xdotool) at the windows' own rectangles;
# screenshots with key pixels into WIN_BUILD/e2e-screenshots/wine_main_window_e2e.
# Usage: tests/e2e/wine_main_window_e2e.sh NATIVE_BUILD WIN_BUILD [SHARED_DIR]   (exit 77: skipped)
e2e_name=wine_main_window_e2e
source "$(dirname "$0")/wine_e2e_common.sh"

homeAt() { windowAt 920 700; }
# typeInto "X Y" DX DY TEXT: a click into the edit at that DIP offset, then the text.
typeInto() {
  clickDips "$1" "$2" "$3"
  xdotool key ctrl+a BackSpace
  xdotool type --delay 20 "$4"
}
lastStatus() { tr -d '\r' <"$host_log" | grep '\[STATUS\]' | tail -1 | sed 's/^\[STATUS\] //'; }
statusIs() { [ "$(lastStatus)" = "$1" ]; }
expectStatus() {  # expectStatus TEXT WHAT
  waitFor 10 statusIs "$1" || fail "$2: the status line says '$(lastStatus)', not '$1'"
}

loginTable="heading        28 60 400 80 text
login-field    300 96 500 116 #101012
submit         426 190 440 212 #E35205
back           330 190 340 212 #2A2A30"

logIn() {  # logIn PASSWORD: from the compact view, through "Acessar"
  local at; at=$(mainAt) || fail "no compact window"
  clickDips "$at" 404 24
  sleep 0.5
  typeInto "$at" 280 106 "tecnico"
  typeInto "$at" 280 152 "$1"
  xdotool key Return
}

# === cards: files placed in the data folder before the first start ==============================
mkdir -p "$datadir/thumbs"
now=$(date +%s)
printf '%s\t444555666\tEstacao com imagem\r\n%s\t777888999\tEstacao sem imagem\r\n' \
  $((now - 120)) $((now - 7200)) >"$datadir/recent.txt"
printf '111222333\tServidor\r\n' >"$datadir/favoritos-tecnico.txt"
"$xfix" crop "$picture" 600 300 320 180 "$datadir/thumbs/444555666.bmp" || fail "thumbnail"

# === login =======================================================================================
startRelay
startParvolex host-first.log
waitRegistered
clickDips "$(mainAt)" 404 24
shot login-empty "$(mainAt)" 560 300 "$loginTable"

step "a wrong password keeps the login screen with the relay's answer"
logIn "errada"
waitFor 15 has 'Login de tecnico recusado' "$host_log" || fail "no refusal logged"
shot login-error "$(mainAt)" 560 300 "$loginTable
error          28 224 532 246 text"

step "the right password opens the home screen with the account's name"
logIn "senha-do-tecnico"
waitFor 20 homeAt >/dev/null || fail "the home screen did not open"
waitFor 10 has 'Login de tecnico aceito' "$host_log" || fail "no accepted login logged"
home=$(homeAt)
shot home "$home" 920 700 "background     8 200 26 260 #1E1E21
display-name   600 10 700 38 text
sair           712 12 718 36 #2A2A30
connect-field  400 70 700 106 #101012
conectar       772 74 780 102 #E35205
id-digits      300 204 620 240 text
status-text    44 666 500 686 text"

step "cards: the favourite first, then the recents; a picture, a placeholder; a star click"
# Cards are 176 × 136 DIPs from (28, 400), 190 apart; the picture sits 6 DIPs in.
shot home-cards "$home" 920 700 "heading        28 370 300 392 text
card1-caption  40 504 180 530 text
card2-picture  240 420 380 490 text
card3-placeholder 416 410 440 430 #36363C"
clickDips "$home" $((408 + 156)) 420
waitFor 10 bash -c "tr -d '\r' <'$datadir/favoritos-tecnico.txt' | grep -q '^777888999'" \
  || fail "the star click did not add the card to the favourites file"

step "the ID edit: spaces dropped, eight digits, empty, this computer's own ID"
typeInto "$home" 200 88 ""
xdotool key Return
expectStatus "Digite o código do computador remoto" "empty ID"
typeInto "$home" 200 88 "1234 5678"
xdotool key Return
expectStatus "O código tem 9 números" "eight digits"
typeInto "$home" 200 88 "${id:0:3} ${id:3:3} ${id:6:3}"
xdotool key Return
expectStatus "Esse é o ID deste computador" "own ID"
typeInto "$home" 200 88 "123 456 789"
xdotool key Return
waitFor 10 has 'Conectando via relay' "$host_log" || fail "nine digits with spaces did not start a connection"

step "remembered, the next start is logged in without typing"
clickDips "$home" 897 24  # the home screen's close button
waitFor 15 bash -c "! kill -0 $host_pid 2>/dev/null" || fail "Parvolex did not end after its close button"
wait "$host_pid" || fail "Parvolex exited with $?"
[ -f "$datadir/login.bin" ] || fail "no saved login after a remembered login"
startParvolex host-second.log
waitRegistered
# The saved login does not open the home screen by itself; "Acessar" goes straight to it.
clickDips "$(mainAt)" 404 24
waitFor 20 homeAt >/dev/null || fail "the saved login did not open the home screen"

step "Sair returns to the compact view and forgets the saved login"
clickDips "$(homeAt)" 740 24
waitFor 20 mainAt >/dev/null || fail "Sair did not return to the compact view"
[ -f "$datadir/login.bin" ] && fail "the saved login outlived Sair"

step "the access-password screen: too short, not alike, saved, removed"
at=$(mainAt)
clickDips "$at" 280 $((105 + 89))
sleep 0.5
typeInto "$at" 280 106 "curta"
typeInto "$at" 280 152 "curta"
xdotool key Return
passwordTable="heading        28 58 400 80 text
new-field      300 96 500 116 #101012
save           426 190 440 212 #E35205
error          28 226 532 250 text"
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

echo "PASS $e2e_name: screenshots in $shots"
