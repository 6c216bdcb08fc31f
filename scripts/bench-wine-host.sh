#!/usr/bin/env bash
# Frames and bytes per second a Linux viewer receives while the whole 1920x1080 screen keeps
# changing, from parvolex-host and from Parvolex.exe under Wine (GDI capture), in one run of the
# session benchmark (repetitions of the two interleaved at random, each on its own fresh Xvfb
# screen). Builds what it needs, makes a scratch Wine prefix, prints one row per repetition and
# the medians side by side.
# Usage: scripts/bench-wine-host.sh [REPETITIONS [JSON]]   (default 3; JSON keeps the raw result)
#   native Release build with benchmarks: build/rel; 64-bit Windows build: build/win64-rel
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repetitions=${1:-3}
json=${2:-}
native=$root/build/rel
win=$root/build/win64-rel

source "$root/scripts/bench-builds.sh"
px_bench_builds "$native" "$win" Parvolex

scratch=$(mktemp -d /tmp/px-wine-host-bench.XXXXXX)
source "$root/scripts/wine-prefix.sh"
cleanup() {
  px_wine_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
px_wine_prefix "$scratch"
export PX_WINE_HOST_EXE="$win/src/app/Parvolex.exe" PX_WINE_LOADER="$px_wine"

echo "-- $(nproc) CPU cores; before: $(uptime)"
"$native/bench/parvolex-bench" --benchmark_filter='^BM_SessionFullScreenChange/' \
  --benchmark_repetitions="$repetitions" --benchmark_enable_random_interleaving=true \
  --benchmark_out="$scratch/result.json" --benchmark_out_format=json >"$scratch/console.txt" 2>&1 ||
  { cat "$scratch/console.txt"; exit 1; }
echo "-- after: $(uptime)"
[ -z "$json" ] || cp "$scratch/result.json" "$json"
grep -i error "$scratch/console.txt" && exit 1

# One row per repetition, then the medians. MB are 10^6 bytes; kB/frame is bytes over frames;
# frame_ms is the time per frame delivered, send_ms the median time the host's send blocked (from
# its sampled frame lines), the rest of frame_ms being mostly capture and encoding.
jq -r '
  def row: [.name, (.fps // 0), ((.bytes_per_s // 0) / 1e6),
            (if (.fps // 0) > 0 then .bytes_per_s / .fps / 1e3 else 0 end),
            (if (.fps // 0) > 0 then 1e3 / .fps else 0 end), (.send_ms_median // 0),
            (.drawn_fps // 0), (.host_cpu_pct // 0), (.host_helpers_cpu_pct // 0),
            (.xserver_cpu_pct // 0), (.viewer_cpu_pct // 0)];
  ["host", "fps", "MB/s", "kB/frame", "frame_ms", "send_ms", "drawn/s", "host%", "wine_aux%",
   "Xvfb%", "viewer%"],
  (.benchmarks[] | select(.run_type == "iteration") | row),
  (.benchmarks[] | select(.aggregate_name == "median") | row)
  | map(if type == "number" then (. * 10 | round / 10 | tostring) else . end) | @tsv' \
  "$scratch/result.json" |
  sed -E 's#^BM_SessionFullScreenChange/([a-z]+)/iterations:1/real_time(_median)?#\1\2#' |
  column -t -s $'\t'
