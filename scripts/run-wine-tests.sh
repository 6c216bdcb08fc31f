#!/usr/bin/env bash
# Runs Windows test executables under Wine in a fresh prefix made in a temporary folder, and
# passes their exit status on. Usage: run-wine-tests.sh EXE [EXE...]
# PX_WINE_GTEST_FILTER, when set, is passed to every executable as --gtest_filter.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 EXE [EXE...]" >&2; exit 2; }

scratch=$(mktemp -d /tmp/px-wine.XXXXXX)
cleanup() {
  WINEPREFIX="$scratch/prefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$scratch"
}
trap cleanup EXIT

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
wine=wine
can_run_32bit=1
if ! wine --version >/dev/null 2>&1; then
  can_run_32bit=0
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
  echo "-- this host cannot run 32-bit programs; using the 64-bit Wine loader"
fi

echo "-- making Wine prefix"
xvfb-run -a "$wine" wineboot -u >/dev/null 2>&1 || true
wineserver -w

reg() { "$wine" reg add "$@" /f >/dev/null 2>&1; }
fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts'
reg "$fonts" /v "Tahoma (TrueType)" /d 'Z:\usr\share\wine\fonts\tahoma.ttf'
reg "$fonts" /v "Tahoma Bold (TrueType)" /d 'Z:\usr\share\wine\fonts\tahomabd.ttf'
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
wineserver -w

run_args=()
[ -z "${PX_WINE_GTEST_FILTER:-}" ] || run_args=(--gtest_filter="$PX_WINE_GTEST_FILTER")

status=0
for exe in "$@"; do
  echo "-- $(basename "$exe") under Wine"
  if [ "$can_run_32bit" -eq 0 ] && ! file -b "$exe" | grep -q '^PE32+'; then
    echo "-- $(basename "$exe") is a 32-bit program and cannot run on this host"
    status=1
    continue
  fi
  set +e
  xvfb-run -a "$wine" "$exe" "${run_args[@]}" 2>&1 | tr -d '\r'
  rc=${PIPESTATUS[0]}
  set -e
  echo "-- $(basename "$exe") exited with $rc"
  [ "$rc" -eq 0 ] || status=1
done
exit $status
