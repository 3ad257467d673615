#!/bin/sh
# SPDX-License-Identifier: MIT
# Catalogues through the real gettext tools, on files made here by
# holvane-convert --pack: a template that msgfmt --check passes, translated
# by msgen (every text to itself) and msgfilter, rewrapped by msgcat, applied
# and converted back; then a new version of the files carried over both ways,
# msgmerge --previous and --from, which must translate the same records.
# Status 77 (skipped) without gettext.
set -eu
program=$1
for tool in msgfmt msgen msgfilter msgmerge msgattrib msgcat; do
  command -v "$tool" >/dev/null 2>&1 || { echo "no $tool: gettext is not installed" >&2; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() { echo "gettext round trip: $*" >&2; exit 1; }

# A *.wvl file of the editable lines given (UTF-8, escapes as the form has them).
make() {
  mkdir -p "$(dirname "$1")"
  file=$1
  shift
  printf '%s\n' "$@" >"$file.edit.txt"
  "$program" --pack -q "$file.edit.txt"
  rm "$file.edit.txt"
}
# The records of the *.wvl files under $1, in the order a run takes them.
records() { "$program" --editable -c -r -q "$1"; }

make game/a.wvl '+Hello' '-world' '?7 Привет, мир' '+' '+tab\there' '-two\r\nlines' \
  '+\x01\x1b\x7f controls' '+\x98 no character' '+back\\slash "quoted"' '+Hello'
make game/sub/b.wvl '+Hello' '?-3 only here' '-#, fuzzy' '+msgid "x"' '-\x00 zero'

"$program" --pot -r -q -o game.pot game
msgfmt --check -o /dev/null game.pot || fail "msgfmt --check refused the template"
grep -q 'sub/b\.wvl:1' game.pot && ! grep -q 'game/' game.pot ||
  fail "references are not relative to the PATH"

# Every text translated to itself gives the same records back.
msgen -o same.po game.pot
msgfmt --check -o /dev/null same.po || fail "msgfmt --check refused msgen's catalogue"
"$program" --apply=same.po -r -q -O same game
[ "$(records same)" = "$(records game)" ] || fail "a catalogue translated to itself changed a record"

# A real translation: msgfilter's, rewrapped by msgcat, changes the texts and
# nothing else.
msgfilter --keep-header -i same.po -o upper.po sed -e 's/l/L/g'
msgcat --width=20 -o wrapped.po upper.po
"$program" --apply=wrapped.po -r -q -O upper game
[ "$(records upper)" = "$(records game | sed -e 's/l/L/g')" ] ||
  fail "the translated files hold other records than the translation"

# The same catalogue as CSV applies the same way.
"$program" --csv --from=upper.po -r -q -o upper.csv game
"$program" --apply=upper.csv -r -q -O from-csv game
[ "$(records from-csv)" = "$(records upper)" ] || fail "the CSV applied otherwise than the PO"

# A new version: one text changed, one added, one removed.
make game2/a.wvl '+Hello' '-world!' '?7 Привет, мир' '+new text' '+tab\there' \
  '+\x01\x1b\x7f controls' '+\x98 no character' '+back\\slash "quoted"' '+Hello'
make game2/sub/b.wvl '+Hello' '?-3 only here' '-#, fuzzy' '+msgid "x"' '-\x00 zero'
"$program" --pot -r -q -o new.pot game2
msgmerge -q --previous -o merged.po upper.po new.pot
msgfmt --check -o /dev/null merged.po || fail "msgfmt --check refused the merged catalogue"
msgattrib --only-fuzzy merged.po | grep -q '^#| msgid "world"$' ||
  fail "msgmerge did not show the changed text's previous one"
"$program" --apply=merged.po -r -q -O merged game2
"$program" --pot --from=upper.po -r -q -o from.po game2
"$program" --apply=from.po -r -q -O from game2
[ "$(records merged)" = "$(records from)" ] || fail "--from carried over other translations than msgmerge"
printf '%s\n' '+HeLLo' '-world!' '?7 Привет, мир' '+new text' '+tab\there' \
  '+\x01\x1B\x7F controLs' '+\x98 no character' '+back\\sLash "quoted"' '+HeLLo' \
  '+HeLLo' '?-3 onLy here' '-#, fuzzy' '+msgid "x"' '-\x00 zero' >expected
[ "$(records merged)" = "$(cat expected)" ] || fail "the new version holds other records than expected"
