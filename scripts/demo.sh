#!/usr/bin/env bash
# The main job: installs what is missing, builds everything in build/dev, then runs the loopback
# demo (a host thread and a viewer: handshake, records both ways, a forged record refused).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake -S . -B build/dev -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build/dev -j "$(nproc)"

echo "== parvolex-demo"
build/dev/tools/parvolex-demo
