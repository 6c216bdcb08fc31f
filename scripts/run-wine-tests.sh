#!/usr/bin/env bash
# Runs Windows test executables under Wine in a fresh prefix made in a temporary folder, and
# passes their exit status on. Usage: run-wine-tests.sh EXE [EXE...]
# PX_WINE_GTEST_FILTER, when set, is passed to every executable as --gtest_filter.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: $0 EXE [EXE...]" >&2; exit 2; }

scratch=$(mktemp -d /tmp/px-wine.XXXXXX)
source "$(dirname "$0")/wine-prefix.sh"
cleanup() {
  px_wine_stop
  rm -rf "$scratch"
}
trap cleanup EXIT
px_wine_prefix "$scratch"

run_args=()
[ -z "${PX_WINE_GTEST_FILTER:-}" ] || run_args=(--gtest_filter="$PX_WINE_GTEST_FILTER")

status=0
for exe in "$@"; do
  echo "-- $(basename "$exe") under Wine"
  if [ "$px_wine_can_run_32bit" -eq 0 ] && ! file -b "$exe" | grep -q '^PE32+'; then
    echo "-- $(basename "$exe") is a 32-bit program and cannot run on this host"
    status=1
    continue
  fi
  set +e
  # A test that hangs must fail the run, not stall it: the last "[ RUN ]" line above names it.
  timeout -k 30 "${PX_WINE_TEST_TIMEOUT:-1800}" xvfb-run -a "$px_wine" "$exe" "${run_args[@]}" 2>&1 |
    tr -d '\r'
  rc=${PIPESTATUS[0]}
  set -e
  [ "$rc" -ne 124 ] || echo "-- $(basename "$exe") timed out: a test hung"
  echo "-- $(basename "$exe") exited with $rc"
  [ "$rc" -eq 0 ] || status=1
done
exit $status
