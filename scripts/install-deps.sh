#!/usr/bin/env bash
# Installs what Holvane needs to build, test and run on Debian 12. Safe to run
# again: it asks apt only for what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config git clang-format
  zlib1g-dev libdeflate-dev
  qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libfuzzer-14-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
