# SPDX-License-Identifier: MIT
# Sourced, not run: a virtual display (Xvfb) and a Wine set up to show windows on it, for
# scripts/test-windows.sh and scripts/screenshots.sh. Expects $build (an absolute folder);
# exports DISPLAY, WINEPREFIX (a fresh one in $build/wine unless given) and Wine's settings, and
# sets an EXIT trap that stops Wine and the display.

# Names are UTF-8 (in another locale Wine garbles Cyrillic ones); no menu entries or file
# associations written into $HOME.
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
wine_display_cleanup() {
  wineserver -k > /dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2> /dev/null || true; fi
}
trap wine_display_cleanup EXIT
# A display of its own: Xvfb picks a free number and writes it to the pipe. -noreset: it
# stays as it is when its last client leaves (a window closing between two programs).
display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3> "$display_file" > /dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
[ -s "$display_file" ] || { echo "$(basename "$0"): Xvfb did not start" >&2; exit 1; }
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
# Wine's services started once, not by whichever program comes first.
wine cmd /c exit > /dev/null 2>&1
