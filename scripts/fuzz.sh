#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the fuzz targets with clang and libFuzzer and runs each for a bounded
# number of runs from the seed corpora the project makes: by default about a
# minute each (their speeds differ tenfold), or RUNS runs each when set. Any crash, leak of a check or sanitizer finding fails the run and
# leaves the input in the build folder: add it to fuzz/regressions/TARGET/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh fuzz
build=${BUILD_DIR:-build-fuzz}
declare -A default_runs=([uncompress]=2000000 [binding]=1000000 [render]=500000 [convert]=250000 [editable]=1000000
  [catalogue]=1000000)
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DHOLVANE_FUZZ=ON -DHOLVANE_GUI=OFF \
  -DBUILD_TESTING=OFF -DHOLVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --target holvane_make_seeds uncompress_fuzzer binding_fuzzer render_fuzzer convert_fuzzer \
  editable_fuzzer catalogue_fuzzer
rm -rf "$build/seeds" && "$build/fuzz/holvane_make_seeds" "$build/seeds"
for target in uncompress binding render convert editable catalogue; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  runs=${RUNS:-${default_runs[$target]}}
  echo "== $target: $runs runs"
  # What once failed, kept in the repository; a target may have none yet (git keeps no empty
  # folder).
  regressions=()
  if [ -d "fuzz/regressions/$target" ]; then regressions=("fuzz/regressions/$target"); fi
  "$build/fuzz/${target}_fuzzer" -runs="$runs" -max_len=4096 -timeout=30 -rss_limit_mb=4096 \
    -print_final_stats=1 -artifact_prefix="$build/$target-" \
    "$corpus" "$build/seeds/$target" "${regressions[@]}" > "$build/$target.log" 2>&1 ||
    { tail -n 40 "$build/$target.log"; echo "fuzz target $target failed" >&2; exit 1; }
  grep -E '^(Done|stat::number_of_executed_units|stat::average_exec_per_sec)' "$build/$target.log"
done
