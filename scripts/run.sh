#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the program and starts it on a copy of the bundled examples.
#
# With a display (DISPLAY or WAYLAND_DISPLAY set) it opens the window in that
# folder. Without one it says so, converts the examples with holvane-convert
# instead and shows the text it wrote (the files are in code page 1251 with
# CR LF, shown here as UTF-8 with LF, as holvane-convert can write them too).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DBUILD_TESTING=OFF   # the tests are scripts/test.sh's
cmake --build build --target holvane holvane-convert

work=$PWD/build/examples-run
rm -rf "$work" && mkdir -p "$work" && cp examples/*.wvl "$work"/

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  cd "$work"
  exec ../main_window/qt/holvane
fi

echo "No display here: the window needs one (set DISPLAY, or run this under xvfb-run)." >&2
echo "Converting the examples in $work with holvane-convert instead." >&2
build/cli/holvane-convert "$work"/*.wvl
echo "The texts, shown in UTF-8 with LF line breaks (holvane-convert -c --encoding=utf-8 --eol=lf):"
for input in "$work"/*.wvl; do
  echo "== $input.txt"
  build/cli/holvane-convert -cq --encoding=utf-8 --eol=lf "$input"
done
