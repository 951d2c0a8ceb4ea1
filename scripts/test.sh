#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and runs every test. Tests that need a
# display start their own Xvfb; nothing is left running afterwards.
#
# Then the whole suite runs a second time, built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/); that build
# also holds the libFuzzer targets, whose smoke runs are tests there.
# MURMELVOX_SANITIZE_RUN=0 skips the second pass.
#
# Sanitizer settings: any UB report or ASan error fails its test
# (halt_on_error). Leak checking is off: libmpv, fontconfig and Qt's plugins
# keep process-lifetime allocations that LeakSanitizer reports at exit, and
# several tests end with the program's own immediate exit (as the exit button
# does), so its reports would not point at faults of ours.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --tests
builddir=${BUILD_DIR:-build}
cmake -S . -B "$builddir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURMELVOX_TESTS=ON
cmake --build "$builddir" -j"$(nproc)"
(cd "$builddir" && ctest --output-on-failure --timeout 600 "$@")

if [[ ${MURMELVOX_SANITIZE_RUN:-1} != 0 ]]; then
  asandir=${ASAN_BUILD_DIR:-build-asan}
  CC=clang CXX=clang++ cmake -S . -B "$asandir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMURMELVOX_TESTS=ON \
    -DMURMELVOX_SANITIZE=ON -DMURMELVOX_FUZZ=ON
  cmake --build "$asandir" -j"$(nproc)"
  export ASAN_OPTIONS=detect_leaks=0:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=0
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  # A sanitized driver starts slowly; the plain pass makes the 300 kills.
  export MURMELVOX_KILLS=${MURMELVOX_KILLS:-100}
  (cd "$asandir" && ctest --output-on-failure --timeout 900 "$@")
fi
