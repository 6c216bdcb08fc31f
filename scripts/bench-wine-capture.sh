#!/usr/bin/env bash
# GDI capture under Wine on a 1920x1080 Xvfb screen: ms per acquire for an unchanged screen and
# for one that changed everywhere, in a fresh prefix made in a temporary folder.
# Usage: scripts/bench-wine-capture.sh [BUILD_DIR] [ITERATIONS]
#   BUILD_DIR: a 64-bit Windows build with tests, optimised for figures that mean something
#   (default build/win64-rel: -DCMAKE_BUILD_TYPE=Release with the Wine test build's flags);
#   ITERATIONS per case (default 50)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64-rel}
iterations=${2:-50}
exe="$build/bench/px-gdi-capture-bench.exe"
[ -f "$exe" ] || { echo "no $exe: ninja -C $build px-gdi-capture-bench" >&2; exit 2; }
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
DISPLAY=$display "$px_wine" "$exe" --iterations "$iterations" 2>&1 | tr -d '\r'
exit "${PIPESTATUS[0]}"
