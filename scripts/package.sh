#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the programs as a packager would (no tests, no benchmarks, GoogleTest and Google Benchmark
# not even looked for, installed under /usr with the programs in /usr/games), makes
# the .deb with CPack, unpacks it into a temporary root and runs both programs from there:
# holvane-convert on a bundled example, the window offscreen for about 2 seconds (still running
# when `timeout` ends it counts as started).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh package
build=${BUILD_DIR:-build-package}
# Debian's build flags, as a package build gets them (CMake reads no CPPFLAGS: they join CXXFLAGS).
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
  cmake -S . -B "$build" -G Ninja -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=None \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_BINDIR=games \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
cmake --build "$build"
rm -f "$build"/holvane_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/holvane_*.deb)
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
for file in usr/games/holvane usr/games/holvane-convert usr/share/doc/holvane/LICENSE \
  usr/share/man/man1/holvane-convert.1.gz usr/share/man/man1/holvane.1.gz \
  usr/share/man/ru/man1/holvane-convert.1.gz usr/share/man/ru/man1/holvane.1.gz \
  usr/share/locale/ru/LC_MESSAGES/holvane.mo \
  usr/share/bash-completion/completions/holvane-convert \
  usr/share/applications/org.example.holvane.desktop \
  usr/share/metainfo/org.example.holvane.metainfo.xml \
  usr/share/icons/hicolor/scalable/apps/holvane.svg \
  usr/share/icons/hicolor/256x256/apps/holvane.png; do
  [ -e "$root/$file" ] || { echo "package.sh: $file is not in $deb" >&2; exit 1; }
done

cp examples/basic.wvl "$root/basic.wvl"
"$root/usr/games/holvane-convert" "$root/basic.wvl"
[ -s "$root/basic.wvl.txt" ] || { echo "package.sh: holvane-convert wrote no text" >&2; exit 1; }
version=$("$root/usr/games/holvane-convert" --version)
echo "${version%%$'\n'*}"
# The catalogue it carries, read where the package puts it.
russian=$(TEXTDOMAINDIR="$root/usr/share/locale" LANGUAGE=ru LC_ALL=C.UTF-8 \
  "$root/usr/games/holvane-convert" --version)
case "$russian" in
  *"Лицензия MIT"*) ;;
  *) echo "package.sh: holvane-convert from $deb does not speak Russian:" >&2; echo "$russian" >&2; exit 1 ;;
esac

status=0
(cd "$root" && QT_QPA_PLATFORM=offscreen timeout 2 "$root/usr/games/holvane") || status=$?
if [ "$status" -ne 124 ]; then
  echo "package.sh: the window ended with status $status before 2 seconds had passed" >&2
  exit 1
fi
echo "package.sh: $deb unpacks, holvane-convert converts from it, the window starts"
