#!/usr/bin/env bash
# Builds the program and runs it: converts a copy of the bundled examples and
# shows the text it wrote (the files are in code page 1251; shown as UTF-8).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build --target holvane-convert
work=build/examples-run
rm -rf "$work" && mkdir -p "$work" && cp examples/*.wvl "$work"/
build/cli/holvane-convert "$work"/*.wvl
for text in "$work"/*.txt; do
  echo "== $text"
  iconv -f CP1251 -t UTF-8 "$text"
done
