#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the native build under ASan/UBSan,
# the libFuzzer targets for a short smoke run, and the Windows test executable under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

bash scripts/install-deps.sh

echo "== layer check"
bash scripts/check-layers.sh

echo "== native build (ASan/UBSan)"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPX_SANITIZE=ON -DPX_BENCH=OFF
cmake --build build/asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
(cd build/asan && ctest --output-on-failure --no-tests=error -j "$jobs")

echo "== fuzz targets (smoke run)"
bash scripts/fuzz.sh smoke

echo "== Windows build and tests under Wine"
wine_start=$SECONDS
cmake -S . -B build/win32 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"
cmake --build build/win32 -j "$jobs"
bash scripts/check-shipping-exe.sh build/win32/src/app/Parvolex.exe
# Under Wine the programs run from a 64-bit build with libgcrypt standing in for the ECDH and the
# key storage that Wine's CNG lacks (and a kernel without 32-bit support runs no 32-bit program).
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release -DPX_BENCH=OFF \
  -DPX_WINE_CRYPTO=ON -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
cmake --build build/win64 -j "$jobs" --target parvolex-tests Parvolex px-wine-fixture
wine_tests=build/win64/tests/parvolex-tests.exe
if wine --version >/dev/null 2>&1; then
  wine_tests="build/win32/tests/parvolex-tests.exe $wine_tests"
else
  echo "== this host cannot run 32-bit programs: Windows tests from the 64-bit build only"
fi
# shellcheck disable=SC2086
bash scripts/run-wine-tests.sh $wine_tests

echo "== Parvolex.exe end to end under Wine"
for e2e in wine_host_e2e wine_main_window_e2e wine_viewer_e2e; do
  status=0
  bash "tests/e2e/$e2e.sh" build/asan build/win64 || status=$?
  [ "$status" -eq 0 ] || [ "$status" -eq 77 ] || exit "$status"
done
echo "== Windows part took $((SECONDS - wine_start)) s"
