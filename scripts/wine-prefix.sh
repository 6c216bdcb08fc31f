#!/usr/bin/env bash
# A Wine prefix for running our Windows programs under Wine, made in a scratch folder with the
# settings they need (fonts, unmanaged windows, no crash dialog, nothing written to the home
# folder). Sourced:
#   source scripts/wine-prefix.sh
#   px_wine_prefix SCRATCH [DPI]   makes SCRATCH/prefix, exports WINEPREFIX and the rest, and sets
#                                  $px_wine (the loader to start programs with) and
#                                  $px_wine_can_run_32bit (0 or 1); DPI sets the screen's DPI
#   px_wine_set_dpi DPI            the DPI programs started after it see
#   px_wine_stop                   ends the prefix's wineserver and every program still in it
# Run directly, `scripts/wine-prefix.sh SCRATCH [DPI]` makes the prefix and prints the shell lines
# that use it: eval "$(scripts/wine-prefix.sh /tmp/w)". The caller removes SCRATCH.

px_wine_prefix() {
  local scratch=${1:?scratch folder} dpi=${2:-}
  export WINEPREFIX="$scratch/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No debugger and no crash dialog: a crash must end the run with a non-zero status, never hang.
  export WINEDLLOVERRIDES="winedbg.exe=d;mscoree,mshtml=;winemenubuilder.exe=d"
  export XDG_CACHE_HOME="$scratch/cache" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data"
  export MESA_SHADER_CACHE_DIR="$scratch/mesa"
  mkdir -p "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME"

  # Debian's `wine` starts the 32-bit loader whenever it is installed, which fails on kernels
  # without 32-bit support; there only 64-bit programs run, through the 64-bit loader.
  px_wine=wine
  px_wine_can_run_32bit=1
  if ! wine --version >/dev/null 2>&1; then
    px_wine_can_run_32bit=0
    px_wine=/usr/lib/wine/wine64
    export WINELOADER=$px_wine
    echo "-- this host cannot run 32-bit programs; using the 64-bit Wine loader" >&2
  fi

  echo "-- making Wine prefix" >&2
  xvfb-run -a "$px_wine" wineboot -u >/dev/null 2>&1 || true
  wineserver -w

  # A fresh prefix has no font DirectWrite falls back to, and no Marlett for caption glyphs.
  local fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
  _px_wine_reg "$fonts" /v "Tahoma (TrueType)" /d 'Z:\usr\share\wine\fonts\tahoma.ttf'
  _px_wine_reg "$fonts" /v "Tahoma Bold (TrueType)" /d 'Z:\usr\share\wine\fonts\tahomabd.ttf'
  _px_wine_reg "$fonts" /v "Marlett (TrueType)" /d 'Z:\usr\share\wine\fonts\marlett.ttf'
  # Without a window manager every DestroyWindow would wait 2 s for one.
  _px_wine_reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
  _px_wine_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
  [ -z "$dpi" ] || px_wine_set_dpi "$dpi"
  wineserver -w
}

px_wine_set_dpi() {
  _px_wine_reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${1:?dpi}"
  wineserver -w
}

px_wine_stop() {
  wineserver -k >/dev/null 2>&1 || true
}

_px_wine_reg() { "$px_wine" reg add "$@" /f >/dev/null 2>&1; }

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  [ $# -ge 1 ] || { echo "usage: $0 SCRATCH [DPI]" >&2; exit 2; }
  mkdir -p "$1"
  px_wine_prefix "$(cd "$1" && pwd)" "${2:-}"
  for name in WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES XDG_CACHE_HOME XDG_CONFIG_HOME \
              XDG_DATA_HOME MESA_SHADER_CACHE_DIR WINELOADER; do
    [ -z "${!name:-}" ] || printf 'export %s=%q\n' "$name" "${!name}"
  done
  printf 'px_wine=%q\n' "$px_wine"
fi
