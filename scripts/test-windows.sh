#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the core, its tests, holvane.exe (the window on Win32's own controls) and
# holvane-convert.exe for 64-bit Windows with MinGW-w64, runs the tests under Wine (the window's
# on a virtual display, Xvfb), converts a few files end to end with holvane-convert.exe under
# Wine, and makes the Windows ZIP package (both programs, LICENSE, a README in Russian).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh windows
build=${BUILD_DIR:-build-windows}
mkdir -p "$build"
build=$(cd "$build" && pwd)

# Wine on a virtual display, as the window's tests need it.
source scripts/wine-display.sh

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
  -DHOLVANE_WERROR=ON -DBUILD_TESTING=ON
cmake --build "$build" -j2
# A test may run a second time, and only when its first run failed: under load Wine now and
# then fails to start a program at all (seen: a test program ending at once with no output); a
# test that really fails fails both times.
ctest --test-dir "$build" --output-on-failure --timeout 300 -j2 --repeat until-pass:2

# Statically linked: each program must need no DLL but Windows' own.
for exe in "$build/cli/holvane-convert.exe" "$build/main_window/win32/holvane.exe"; do
  dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
  echo "$(basename "$exe") imports: $(echo $dlls)"
  if echo "$dlls" | grep -v -i -x -E 'kernel32\.dll|msvcrt\.dll|user32\.dll|gdi32\.dll|comctl32\.dll|advapi32\.dll|shell32\.dll|api-ms-win-.*\.dll|ws2_32\.dll|ucrtbase\.dll'; then
    echo "test-windows.sh: $(basename "$exe") needs the DLLs above, which Windows does not have" >&2
    exit 1
  fi
done
exe="$build/cli/holvane-convert.exe"
python3 scripts/windows-end-to-end.py "$exe"

rm -f "$build"/holvane-*.zip
(cd "$build" && cpack -G ZIP)
zip=$(ls "$build"/holvane-*.zip)
unzip -l "$zip"
# The listing is read whole first: grep -q stops at its first match, and under pipefail the
# unzip it cut off (SIGPIPE) would fail the check for a file that is there.
names=$(unzip -Z1 "$zip")
for file in holvane.exe holvane-convert.exe LICENSE.txt README.txt; do
  grep -q "/$file\$" <<< "$names" || { echo "test-windows.sh: $file is not in $zip" >&2; exit 1; }
done
echo "test-windows.sh: the tests pass under Wine, holvane-convert.exe converts, $zip is made"
