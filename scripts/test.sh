#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything, benchmarks and the examples generator included, with warnings as errors
# and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
cmake -S . -B build -G Ninja -DHOLVANE_WERROR=ON -DBUILD_TESTING=ON -DHOLVANE_BENCH=ON \
  -DHOLVANE_MAKE_EXAMPLES=ON
cmake --build build
ctest --test-dir build --output-on-failure --timeout 300
