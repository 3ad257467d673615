#!/usr/bin/env bash
# Fails when a C++ file the project tracks is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format)
git ls-files -z '*.cc' '*.h' | xargs -0 -r "$format" --dry-run -Werror
