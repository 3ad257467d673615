#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what Holvane needs on Debian 12, by set: any of
#
#   run      building and running the programs (the default; gettext's msgfmt compiles the
#            message catalogues)
#   test     run's, and what the tests and the benchmarks need
#   clang    test's, and clang (scripts/test-clang.sh)
#   fuzz     test's, and clang with libFuzzer (scripts/fuzz.sh)
#   package  run's, and what builds and checks the .deb (scripts/package.sh)
#   windows  the MinGW-w64 cross build for Windows, Wine to run it and a virtual display for its
#            window (scripts/test-windows.sh)
#   screenshots  windows's, and ImageMagick to take the README's pictures of the window
#            (scripts/screenshots.sh)
#
# e.g. `scripts/install-deps.sh test package`. Safe to run again: it asks apt only for what is
# missing, and returns at once when nothing is.
set -euo pipefail

run=(cmake ninja-build g++ pkg-config zlib1g-dev libdeflate-dev qt6-base-dev gettext)
test=("${run[@]}" git clang-format-14 python3 libgtest-dev libgmock-dev libbenchmark-dev
  appstream desktop-file-utils)
clang=("${test[@]}" clang)
fuzz=("${test[@]}" clang libfuzzer-14-dev)
package=("${run[@]}" dpkg-dev file)
windows=(cmake ninja-build git python3 gettext g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest
  wine wine64 zip unzip xvfb xauth fonts-wine)
screenshots=("${windows[@]}" "${run[@]}" imagemagick)

[ $# -eq 0 ] && set -- run
packages=()
for set in "$@"; do
  case "$set" in
    run) packages+=("${run[@]}") ;;
    test) packages+=("${test[@]}") ;;
    clang) packages+=("${clang[@]}") ;;
    fuzz) packages+=("${fuzz[@]}") ;;
    package) packages+=("${package[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    screenshots) packages+=("${screenshots[@]}") ;;
    *)
      echo "install-deps.sh: unknown set '$set' (run, test, clang, fuzz, package, windows, screenshots)" >&2
      exit 2
      ;;
  esac
done

missing=()
for package in $(printf '%s\n' "${packages[@]}" | sort -u); do
  if [ "$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null)" != "install ok installed" ]; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
