#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything, benchmarks included, with clang++ and warnings as errors, and runs every
# test once more: the source must build and pass with clang as well as g++.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh clang
build=${BUILD_DIR:-build-clang}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DHOLVANE_WERROR=ON -DHOLVANE_BENCH=ON \
  -DHOLVANE_MAKE_EXAMPLES=ON
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure --timeout 300
