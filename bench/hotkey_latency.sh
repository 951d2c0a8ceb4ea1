#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds and runs the hot-key latency benchmark under its own Xvfb.
#   bench/hotkey_latency.sh [PRESSES]
set -euo pipefail
cd "$(dirname "$0")/.."
builddir=${BUILD_DIR:-build}
cmake -S . -B "$builddir" -DMURMELVOX_TESTS=ON >/dev/null
cmake --build "$builddir" --target bench_hotkeys -j"$(nproc)" >/dev/null
media=$(mktemp -d)
trap 'rm -rf "$media"' EXIT
bash tests/media/make_media.sh "$media" >/dev/null
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" "$builddir/bench/bench_hotkeys" "$media/tone.wav" "${1:-200}"
