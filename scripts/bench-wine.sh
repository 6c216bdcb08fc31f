#!/usr/bin/env bash
# One of the Windows timing programs of bench/ under Wine on a 1920x1080 Xvfb screen, in a fresh
# prefix made in a temporary folder. scripts/bench-wine-capture.sh and bench-wine-renderer.sh name
# the program.
# Usage: scripts/bench-wine.sh PROGRAM [BUILD_DIR] [ITERATIONS]
#   PROGRAM: px-gdi-capture-bench or px-renderer-bench;
#   BUILD_DIR: a 64-bit Windows build with tests, optimised for figures that mean something
#   (default build/win64-rel: -DCMAKE_BUILD_TYPE=Release with the Wine test build's flags);
#   ITERATIONS per case (default: the program's own)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:?usage: $0 PROGRAM [BUILD_DIR] [ITERATIONS]}
build=${2:-$root/build/win64-rel}
iterations=()
[ -z "${3:-}" ] || iterations=(--iterations "$3")
exe="$build/bench/$program.exe"
[ -f "$exe" ] || { echo "no $exe: ninja -C $build $program" >&2; exit 2; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed" >&2; exit 2; }

scratch=$(mktemp -d /tmp/px-wine-bench.XXXXXX)
source "$root/scripts/wine-prefix.sh"
xvfb_pid=""
cleanup() {
  px_wine_stop
  [ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; } || true
  rm -rf "$scratch"
}
trap cleanup EXIT
px_wine_prefix "$scratch"

display=:$((200 + RANDOM % 500))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X${display#:}" ] || { echo "Xvfb did not start" >&2; cat "$scratch/xvfb.log" >&2; exit 1; }

build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
case "$build_type" in
  Release|RelWithDebInfo|MinSizeRel) echo "-- $build_type build" ;;
  *) echo "-- warning: unoptimised build (${build_type:-no build type}); the figures overstate the cost" ;;
esac
echo "-- $(nproc) CPU cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"
DISPLAY=$display "$px_wine" "$exe" "${iterations[@]}" 2>&1 | tr -d '\r'
exit "${PIPESTATUS[0]}"
