#!/usr/bin/env bash
# GDI capture under Wine on a 1920x1080 Xvfb screen: ms per acquire for an unchanged screen and
# for one that changed everywhere.
# Usage: scripts/bench-wine-capture.sh [BUILD_DIR] [ITERATIONS]   (see scripts/bench-wine.sh)
exec "$(dirname "$0")/bench-wine.sh" px-gdi-capture-bench "$@"
