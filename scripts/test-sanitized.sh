#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything with AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer (any
# finding is fatal) and runs every test once more.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
build=${BUILD_DIR:-build-sanitized}
cmake -S . -B "$build" -G Ninja -DHOLVANE_WERROR=ON -DHOLVANE_SANITIZE=ON -DHOLVANE_BENCH=OFF
cmake --build "$build"
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure --timeout 600
