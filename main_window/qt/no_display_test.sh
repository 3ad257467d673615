#!/bin/sh
# SPDX-License-Identifier: MIT
# The window started where no display can be reached, neither named nor
# reachable: one line that says so and how to run it anyway, and status 1,
# never Qt's abort.
set -u
program=$1
err=$(mktemp)
trap 'rm -f "$err"' EXIT
for display in unset :987; do
  if [ "$display" = unset ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>"$err" >/dev/null
  else
    env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" "$program" 2>"$err" >/dev/null
  fi
  status=$?
  lines=$(wc -l <"$err")
  if [ "$status" -ne 1 ] || [ "$lines" -ne 1 ] || ! grep -q '^holvane: .*xvfb-run holvane$' "$err"; then
    echo "DISPLAY $display: status $status, $lines lines on standard error:" >&2
    cat "$err" >&2
    exit 1
  fi
done
