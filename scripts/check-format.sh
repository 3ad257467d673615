#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Fails when a C++ file of the project is not formatted as .clang-format says; with --fix, formats
# those files in place instead. The C++ files are the *.cc and *.h ones, and no others: the ones
# git tracks in a git checkout, otherwise every such file under the source folder outside build
# folders (those holding a CMakeCache.txt). Nothing else is ever handed to clang-format, which
# takes any file for C++ and would rewrite a CMake file's comments as preprocessor lines.
# .clang-format is written for clang-format 14: without it, or with another major version, the
# check is skipped (exit status 77, which CTest reports as skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
skip=77
case "${1-}" in
  "") action=(--dry-run -Werror) ;;
  --fix) action=(-i) ;;
  *)
    echo "usage: check-format.sh [--fix]" >&2
    exit 2
    ;;
esac
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ]; then
  echo "check-format.sh: clang-format 14 is not installed; skipped" >&2
  exit "$skip"
fi
version=$("$format" --version | sed -n 's/.*clang-format version \([0-9]*\)\..*/\1/p')
if [ "$version" != 14 ]; then
  echo "check-format.sh: $format is version ${version:-unknown}, not 14 as .clang-format needs; skipped" >&2
  exit "$skip"
fi
if command -v git > /dev/null && git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  git ls-files -z '*.cc' '*.h' | xargs -0 -r "$format" "${action[@]}"
else
  find . \( -name .git -o -exec test -e '{}/CMakeCache.txt' \; \) -prune \
    -o -type f \( -name '*.cc' -o -name '*.h' \) -print0 |
    xargs -0 -r "$format" "${action[@]}"
fi
