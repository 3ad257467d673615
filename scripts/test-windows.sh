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

# Wine as the window's tests need it. Names are UTF-8 (in another locale Wine garbles Cyrillic
# ones); no menu entries or file associations written into $HOME.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
# A fresh prefix for each run, so that no run sees what an earlier one left (one given in
# WINEPREFIX is used as it is).
if [ -z "${WINEPREFIX:-}" ]; then
  export WINEPREFIX=$build/wine
  rm -rf "$WINEPREFIX"
fi
mkdir -p "$WINEPREFIX"

xvfb_pid=
cleanup() {
  wineserver -k > /dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2> /dev/null || true; fi
}
trap cleanup EXIT
# A display of its own for the window: Xvfb picks a free number and writes it to the pipe.
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$display_file" > /dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "test-windows.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"
rm -f "$display_file"

# The server first, with its output away from ours: Wine's services inherit the output of
# whatever starts them, and would hold a captured pipe open for minutes.
wineserver -p > /dev/null 2>&1
wineboot --init > /dev/null 2>&1
# One virtual desktop for every window: without it each closing window waits two seconds and
# the first one stays inactive.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f > /dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f > /dev/null 2>&1
# Read when the server and its services start again.
wineserver -k > /dev/null 2>&1 || true
wineserver -w > /dev/null 2>&1 || true
wineserver -p > /dev/null 2>&1
# Debian's Wine does not load the fonts of fonts-wine from where the package puts them.
cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
# Wine's services started once before the tests, not by whichever test comes first.
wine cmd /c exit > /dev/null 2>&1

cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/x86_64-w64-mingw32.cmake \
  -DHOLVANE_WERROR=ON -DBUILD_TESTING=ON
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure --timeout 300 -j2

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
