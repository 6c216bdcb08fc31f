#!/usr/bin/env bash
# The viewer's renderer under Wine (llvmpipe on a 1920x1080 Xvfb screen): ms per frame of a
# 1920x1080 image for upload+draw+present and for draw+present alone.
# Usage: scripts/bench-wine-renderer.sh [BUILD_DIR] [ITERATIONS]   (see scripts/bench-wine.sh)
exec "$(dirname "$0")/bench-wine.sh" px-renderer-bench "$@"
