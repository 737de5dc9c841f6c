#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running need, when
# any of them is missing, then checks that every command the build and the
# test scripts call is there. Usage: install-deps.sh [fuzz|dist|bench]
set -euo pipefail

# Each command the Makefile, cmake/, tests/, bench/ and .ci/ call, and the
# package that brings it. Debian's wine64 holds only the loader: the commands
# wine, wineboot and winepath come from the package wine.
commands=(
  cmake:cmake ninja:ninja-build g++:g++
  x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64
  x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64
  x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
  x86_64-w64-mingw32-objcopy:binutils-mingw-w64-x86-64
  x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64
  wine:wine wineboot:wine winepath:wine /usr/lib/wine/wine64:wine64
  /usr/lib/wine/wineserver:libwine
  Xvfb:xvfb xauth:xauth xdotool:xdotool xwininfo:x11-utils
  convert:imagemagick xclip:xclip cloc:cloc timeout:coreutils
  locale-gen:locales
)
# Packages that bring no command but files the build and the tests read.
packages=(libgtest-dev libgmock-dev googletest fonts-wine fonts-ipafont-gothic zlib1g-dev)
case "${1:-}" in
  fuzz) commands+=(clang++:clang); packages+=(libclang-rt-14-dev) ;;
  dist) commands+=(zip:zip) ;;
  # Real programs' windows and photos for the size bench.
  bench) commands+=(xterm:xterm man:man-db import:imagemagick); packages+=(mate-backgrounds fonts-dejavu-core) ;;
esac

for entry in "${commands[@]}"; do packages+=("${entry##*:}"); done
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | sort -u)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Wine writes file names in the character set of the locale LANG names: the
# Japanese session of the tests needs that locale, or no path outside ASCII
# can be made.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  echo "Generating the locale ja_JP.UTF-8"
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -qx 'ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | "${sudo[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo[@]}" locale-gen >/dev/null
fi

# A package can be installed and still not give the command (a split package,
# a PATH without /usr/lib/wine): say which, instead of failing later.
for entry in "${commands[@]}"; do
  cmd=${entry%:*}
  if ! command -v "$cmd" >/dev/null 2>&1; then
    echo "install-deps: the command '$cmd' is missing after installing; it comes from the Debian package '${entry##*:}'" >&2
    exit 1
  fi
done
