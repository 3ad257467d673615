#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DHOLVANE_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure --timeout 300
