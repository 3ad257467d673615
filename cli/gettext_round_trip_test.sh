#!/bin/sh
# SPDX-License-Identifier: MIT
# Catalogues through the real gettext tools, on files made here by
# holvane-convert --pack: a template that msgfmt --check passes, translated
# by msgen (every text to itself) and msgfilter, rewrapped by msgcat, applied
# and converted back; then a new version of the files carried over both ways,
# msgmerge --previous and --from, which must translate the same records.
# With the README as a second argument, its "Translating" examples are run as
# printed too, a PO editor's work done by msgen and msgfilter. Status 77
# (skipped) without gettext.
set -eu
program=$1
readme=${2:-}
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
make game-v2/a.wvl '+Hello' '-world!' '?7 Привет, мир' '+new text' '+tab\there' \
  '+\x01\x1b\x7f controls' '+\x98 no character' '+back\\slash "quoted"' '+Hello'
make game-v2/sub/b.wvl '+Hello' '?-3 only here' '-#, fuzzy' '+msgid "x"' '-\x00 zero'
"$program" --pot -r -q -o new.pot game-v2
msgmerge -q --previous -o merged.po upper.po new.pot
msgfmt --check -o /dev/null merged.po || fail "msgfmt --check refused the merged catalogue"
msgattrib --only-fuzzy merged.po | grep -q '^#| msgid "world"$' ||
  fail "msgmerge did not show the changed text's previous one"
"$program" --apply=merged.po -r -q -O merged game-v2
"$program" --pot --from=upper.po -r -q -o from.po game-v2
"$program" --apply=from.po -r -q -O from game-v2
[ "$(records merged)" = "$(records from)" ] || fail "--from carried over other translations than msgmerge"
printf '%s\n' '+HeLLo' '-world!' '?7 Привет, мир' '+new text' '+tab\there' \
  '+\x01\x1B\x7F controLs' '+\x98 no character' '+back\\sLash "quoted"' '+HeLLo' \
  '+HeLLo' '?-3 onLy here' '-#, fuzzy' '+msgid "x"' '-\x00 zero' >expected
[ "$(records merged)" = "$(cat expected)" ] || fail "the new version holds other records than expected"

[ -n "$readme" ] || exit 0
# The README's examples, each ```sh block of its "Translating" section in turn,
# with holvane-convert, a PO editor and a pager that are this test's own.
mkdir -p bin
ln -s "$program" bin/holvane-convert
cat >bin/poedit <<'EDITOR'
#!/bin/sh
# Translates what is untranslated, every "l" as "L", fuzzy entries left as they are.
msgen -o "$1.new" "$1" && msgfilter --keep-header -i "$1.new" -o "$1" sed -e 's/l/L/g'
EDITOR
printf '#!/bin/sh\ncat\n' >bin/less
chmod +x bin/poedit bin/less
awk '/^### Translating/ { on = 1; next } on && /^##/ { exit }
     on && /^```sh$/ { block++; inside = 1; next } inside && /^```$/ { inside = 0; next }
     inside { print > ("block" block ".sh") }' "$readme"
[ -f block1.sh ] && [ -f block2.sh ] && [ -f block3.sh ] || fail "the README has no three examples"
rm -rf game.pot new.pot uk.po game-uk game-v2-uk
PATH="$work/bin:$PATH" sh -e block1.sh >log 2>&1 || { cat log >&2; fail "the README's first example failed"; }
[ "$(records game-uk)" = "$(records game | sed -e 's/l/L/g')" ] ||
  fail "the README's first example did not translate the files"
PATH="$work/bin:$PATH" sh -e block2.sh >log 2>&1 || { cat log >&2; fail "the README's new version failed"; }
[ -f game-v2-uk/sub/b.wvl ] || fail "the README's new version wrote no files"
"$program" --csv --from=uk.po -r -q -o uk.csv game
PATH="$work/bin:$PATH" sh -e block3.sh >log 2>&1 || { cat log >&2; fail "the README's --from failed"; }
[ -f uk-v2.po ] && [ -f uk-v2.csv ] || fail "the README's --from wrote no catalogue"
