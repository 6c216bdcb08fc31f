# shellcheck shell=bash
# Finding Parvolex.exe's windows under Wine and driving them with real X input (xdotool), for
# the Wine end-to-end tests and the demo (sourced). Sizes and offsets are in DIPs at $dpi
# (default 96); the sourcing script defines fail MESSAGE.

waitFor() {  # waitFor SECONDS COMMAND...: polls every 0.2 s
  local tries=$(($1 * 5)); shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.2; done
  return 1
}
has() { tr -d '\r' <"$2" | grep -q -- "$1"; }  # has TEXT FILE

dpi=${dpi:-96}
px() { echo $(( ($1 * dpi + 48) / 96 )); }  # whole DIPs to pixels, rounded
# windowAt WIDTH_DIPS HEIGHT_DIPS [TITLE]: "X Y" of the visible window of that size, if any.
windowAt() {
  local w h id
  w=$(px "$1"); h=$(px "$2")
  for id in $(xdotool search --onlyvisible --name "^${3:-Parvolex}\$" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "$WIDTH" = "$w" ] && [ "$HEIGHT" = "$h" ]; then echo "$X $Y"; return 0; fi
  done
  return 1
}
mainAt() { windowAt 560 300; }  # the compact main window (login screens included)
# Wine gives a window made on another thread than the first no X name: a viewer window is found
# by its place, the cascade's (40, 40) for the first, (68, 68) for the second.
viewerWindow() {  # viewerWindow [AT]
  local w at=${1:-40}
  for w in $(xdotool search --onlyvisible --class parvolex.exe 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    if [ "$X" = "$at" ] && [ "$Y" = "$at" ]; then echo "$w"; return 0; fi
  done
  return 1
}

# clickDips "X Y" DX DY: a real click at DIP offset (DX, DY) inside the window at X Y.
clickDips() {
  local x y; read -r x y <<<"$1"
  xdotool mousemove $((x + $(px "$2"))) $((y + $(px "$3")))
  sleep 0.2
  xdotool click 1
}
# typeInto "X Y" DX DY TEXT: a click into the edit at that DIP offset, then the text.
typeInto() {
  clickDips "$1" "$2" "$3"
  xdotool key ctrl+a BackSpace
  xdotool type --delay 20 "$4"
}
# enterLogin LOGIN PASSWORD: fills the login screen of the compact window and sends it.
enterLogin() {
  local at; at=$(mainAt) || fail "no compact window"
  typeInto "$at" 280 106 "$1"
  typeInto "$at" 280 152 "$2"
  xdotool key Return
}
