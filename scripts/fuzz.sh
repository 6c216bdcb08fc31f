#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one.
#   fuzz.sh smoke        every target for a few seconds (the test command uses this)
#   fuzz.sh run SECONDS  every target for SECONDS each, corpus kept in build/fuzz-corpus/<target>
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-smoke}
seconds=${2:-10}
[ "$mode" = smoke ] && seconds=5

CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPX_FUZZ=ON -DPX_TESTS=OFF -DPX_BENCH=OFF >/dev/null
cmake --build build/fuzz -j "$(nproc)"

shopt -s nullglob
status=0
sources=(fuzz/*_fuzz.cpp)
[ ${#sources[@]} -gt 0 ] || echo "-- no fuzz targets yet"
for source in "${sources[@]}"; do
  name=$(basename "$source" .cpp)
  target=${name//_/-}
  corpus=build/fuzz-corpus/$target
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "-- $target ($seconds s)"
  if ! ASAN_OPTIONS=detect_leaks=1 "build/fuzz/fuzz/$target" -max_total_time="$seconds" \
       -artifact_prefix="build/fuzz/$target-" \
       -print_final_stats=1 "$corpus" "${seeds[@]}" > "build/fuzz/$target.log" 2>&1; then
    tail -n 40 "build/fuzz/$target.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|Done' "build/fuzz/$target.log" | tail -n 2
  fi
done
exit $status
