#!/usr/bin/env bash
# Time from an X drawing call on the host's screen (parvolex-host on a private 1920x1080 Xvfb) to
# the changed pixel, for the Windows viewer under Wine (to its render target, before present) and
# for the in-process headless viewer (to its decoded image), in one run of the session benchmark
# (bench/viewer_latency_bench.cpp). Builds what it needs, makes a scratch Wine prefix and prints:
# case, samples, median ms, p90 ms. The Wine figure is timed from the viewer's request to draw,
# so it includes the request's pipe (its own row); "wine frame" is what the frame that showed the
# pixel cost the viewer (upload, draw, one-pixel read-back), part of the Wine figure, and "upload"
# the upload alone of that frame.
# The renderer alone (upload+draw+present of a 1920x1080 frame): scripts/bench-wine-renderer.sh.
# Usage: scripts/bench-wine-viewer-latency.sh [BUILD_NATIVE] [BUILD_WIN] [JSON]
#   BUILD_NATIVE: native Release build with benchmarks (default build/rel);
#   BUILD_WIN: 64-bit Windows Release build with tests (default build/win64-rel);
#   JSON keeps the raw result
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=$(realpath -m "${1:-$root/build/rel}")
win=$(realpath -m "${2:-$root/build/win64-rel}")
json=${3:-}

source "$root/scripts/bench-builds.sh"
px_bench_builds "$native" "$win" px-viewer-latency-bench

scratch=$(mktemp -d /tmp/px-wine-viewer-latency.XXXXXX)
source "$root/scripts/wine-prefix.sh"
cleanup() {
  px_wine_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
px_wine_prefix "$scratch"
export PX_WINE_VIEWER_EXE="$win/bench/px-viewer-latency-bench.exe" PX_WINE_LOADER="$px_wine"

echo "-- $(nproc) CPU cores; before: $(uptime)"
status=0
"$native/bench/parvolex-bench" --benchmark_filter='^BM_ViewerLatencyHeadlessAndWine' \
  --benchmark_out="$scratch/result.json" --benchmark_out_format=json >"$scratch/console.txt" 2>&1 ||
  status=$?
echo "-- after: $(uptime)"
if [ "$status" -ne 0 ] || grep -qi error "$scratch/console.txt"; then
  cat "$scratch/console.txt"
  exit 1
fi
[ -z "$json" ] || cp "$scratch/result.json" "$json"

jq -r '
  .benchmarks[0] as $b
  | def row($name; $key): [$name, ($b[$key + "_samples"] // 0), ($b[$key + "_median_ms"] // 0),
                           ($b[$key + "_p90_ms"] // 0)];
  ["case", "samples", "median_ms", "p90_ms"],
  row("headless (decoded image)"; "headless"),
  row("wine (render target)"; "wine"),
  row("  of which wine frame"; "wine_frame"),
  row("    of which upload"; "wine_upload"),
  row("  of which request pipe"; "pipe_one_way")
  | map(if type == "number" then (. * 100 | round / 100 | tostring) else . end) | @tsv' \
  "$scratch/result.json" | column -t -s $'\t'
jq -r '.benchmarks[0] | "-- misses (no pixel within 2 s): headless \(.headless_misses), wine \(.wine_misses)"' \
  "$scratch/result.json"
