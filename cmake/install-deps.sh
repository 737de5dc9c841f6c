#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need, when
# any of them is missing. Usage: install-deps.sh [fuzz]
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev googletest g++-mingw-w64-x86-64
          wine64 fonts-wine xvfb xauth imagemagick fonts-ipafont-gothic xdotool x11-utils)
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
