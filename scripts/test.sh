#!/usr/bin/env bash
# Installs what is missing, builds and runs every test. Tests that need a
# display start their own Xvfb; nothing is left running afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
builddir=${BUILD_DIR:-build}
cmake -S . -B "$builddir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURMELVOX_TESTS=ON
cmake --build "$builddir" -j"$(nproc)"
cd "$builddir"
ctest --output-on-failure --timeout 600 "$@"
