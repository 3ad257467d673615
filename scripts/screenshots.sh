#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Takes the README's pictures of the window, each on a virtual display, on a copy of the bundled
# examples: docs/window-qt.png, the Qt window (build/, as scripts/test.sh builds it), and
# docs/window-win32.png, holvane.exe under Wine (build-windows/, as scripts/test-windows.sh builds
# it). Run it by hand whenever the window changes, and commit the pictures it writes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh screenshots
root=$PWD
qt_window=$root/build/main_window/qt/holvane
win32_window=$root/build-windows/main_window/win32/holvane.exe
for program in "$qt_window" "$win32_window"; do
  [ -x "$program" ] || { echo "screenshots.sh: $program is not built" >&2; exit 1; }
done
build=$root/build-screenshots
mkdir -p "$build"
source scripts/wine-display.sh

# The examples in a folder with a Cyrillic name, as a user's saves would be, at a fixed place so
# that the pictures do not change with a random name.
work=/tmp/Holvane
rm -rf "$work"
trap 'wine_display_cleanup; rm -rf "$work"' EXIT
mkdir -p "$work/Сохранения"
cp examples/*.wvl "$work/Сохранения/"

# Shows `$@` in the examples' folder for a few seconds and writes what the screen shows, the
# empty screen around the window cut away, to `$1`'s picture.
shoot() {
  local picture=$1
  shift
  (cd "$work/Сохранения" && exec "$@") > /dev/null 2>&1 &
  local pid=$!
  sleep 4
  import -window root -trim +repage -strip "PNG8:$picture"
  kill "$pid" 2> /dev/null || true
  wait "$pid" 2> /dev/null || true
  echo "screenshots.sh: $picture, $(identify -format '%wx%h' "$picture")"
}

QT_QPA_PLATFORM=xcb shoot docs/window-qt.png "$qt_window"
shoot docs/window-win32.png wine "$win32_window"
