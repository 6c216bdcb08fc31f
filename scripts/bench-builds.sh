# shellcheck shell=bash
# The Release builds the Wine session benchmarks run from (sourced):
#   px_bench_builds NATIVE WIN WIN_TARGET   checks the tools, configures either build when it has
#                                           no build.ninja yet, and builds parvolex-bench, the
#                                           host and relay natively and WIN_TARGET for Windows
px_bench_builds() {
  local native=$1 win=$2 target=$3 tool
  for tool in Xvfb wineserver jq cmake ninja; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 2; }
  done
  echo "-- building (Release, -j2)"
  [ -f "$native/build.ninja" ] ||
    cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPX_BENCH=ON >/dev/null
  ninja -C "$native" -j2 parvolex-bench parvolex-host parvolex-relay >/dev/null
  [ -f "$win/build.ninja" ] ||
    cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPX_BENCH=OFF -DPX_WINE_CRYPTO=ON \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
  ninja -C "$win" -j2 "$target" >/dev/null
}
