#!/bin/sh
# SPDX-License-Identifier: MIT
# The manual pages, English and every translation beside it: each formats
# without a warning from groff (-k reads the UTF-8 of a translation) and, where
# lexgrog is installed, has a NAME line that whatis and apropos can read; each
# holvane-convert page names every long option that holvane-convert --help
# lists, so that an option added to the program is documented in every
# language. Status 77 (skipped) without groff.
set -eu
program=$1
folder=$2
command -v groff >/dev/null 2>&1 || { echo "no groff" >&2; exit 77; }
status=0
# The options are the help's lines that begin with one ("  -r, --recursive").
options=$(LC_ALL=C "$program" --help |
  sed -n 's/^ \{2,6\}\(-[a-zA-Z], \)\{0,1\}\(--[a-z][a-z-]*\).*/\2/p' | sort -u)
[ -n "$options" ] || { echo "holvane-convert --help lists no option" >&2; exit 1; }
for page in "$folder"/*.1 "$folder"/*/*.1; do
  warnings=$(groff -k -man -Tutf8 -ww -z "$page" 2>&1)
  [ -z "$warnings" ] || { echo "$page: $warnings" >&2; status=1; }
  if command -v lexgrog >/dev/null 2>&1; then
    lexgrog "$page" >/dev/null || { echo "$page: no NAME line lexgrog reads" >&2; status=1; }
  fi
  case $page in
    */holvane-convert.1)
      text=$(sed 's/\\-/-/g' "$page")
      for option in $options; do
        printf '%s\n' "$text" | grep -q -F -e "$option" ||
          { echo "$page: $option is not documented" >&2; status=1; }
      done ;;
  esac
done
exit $status
