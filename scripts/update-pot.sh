#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes po/holvane.pot from the sentences the code marks with Tr, TrPlural and TrNoop, in the
# order of the files and of the sentences in them (each placed by its file only, so that moving
# code does not change the template), and merges it into every po/LL.po (msgmerge keeps
# each translation; a sentence changed comes back fuzzy). With --check it changes nothing and
# fails when the template in po/ is not the one the code gives (the creation date aside), or a
# catalogue does not pass msgfmt --check, leaves a sentence untranslated or has a fuzzy one.
# Needs xgettext (package gettext); without it, status 77.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v xgettext >/dev/null || { echo "update-pot.sh: xgettext not found (package gettext)" >&2; exit 77; }

# What holvane-convert is built from: the core, the listing and cli/ (the window's texts are
# its own and never translated).
sources=$(find common text compression conversion listing cli -maxdepth 1 -type f \
  \( -name '*.cc' -o -name '*.h' \) ! -name '*_test.cc' | LC_ALL=C sort)
bugs=$(sed -n 's|.*<url type="homepage">\(.*\)</url>.*|\1|p' resources/org.example.holvane.metainfo.xml)
version=$(sed -n 's/^project(Holvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
made=$(mktemp)
trap 'rm -f "$made"' EXIT
# shellcheck disable=SC2086
xgettext --language=C++ --from-code=UTF-8 --keyword= --keyword=Tr --keyword=TrPlural:1,2 --keyword=TrNoop \
  --add-comments=TRANSLATORS: --add-location=file --no-wrap --package-name=holvane \
  --package-version="$version" --msgid-bugs-address="$bugs" \
  --copyright-holder="The Holvane developers" -o "$made" $sources

without_date() { grep -v '^"POT-Creation-Date:' "$1"; }
if [ "${1:-}" = --check ]; then
  status=0
  if ! diff -u <(without_date po/holvane.pot) <(without_date "$made"); then
    echo "update-pot.sh: po/holvane.pot is not the code's; run scripts/update-pot.sh" >&2
    status=1
  fi
  for po in po/*.po; do
    [ -e "$po" ] || continue
    msgfmt --check -o /dev/null "$po" || status=1
    # Every sentence of the template translated, none of them fuzzy.
    msgcmp "$po" po/holvane.pot || status=1
    if [ -n "$(msgattrib --only-fuzzy --no-obsolete "$po")" ]; then
      echo "update-pot.sh: $po has fuzzy entries" >&2
      status=1
    fi
  done
  exit $status
fi
if [ -f po/holvane.pot ] && diff -q <(without_date po/holvane.pot) <(without_date "$made") >/dev/null; then
  echo "po/holvane.pot is up to date"
else
  cp "$made" po/holvane.pot
  echo "po/holvane.pot made"
fi
for po in po/*.po; do
  [ -e "$po" ] || continue
  msgmerge --quiet --update --backup=none --no-wrap --previous "$po" po/holvane.pot
done
