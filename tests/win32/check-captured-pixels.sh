#!/usr/bin/env bash
# Runs the capture tests with an output folder, then decodes every captured
# BMP with ImageMagick and compares its pixels with the RGB that the feeder
# put on the clipboard. Runs inside the Wine test session.
# Usage: check-captured-pixels.sh CAPTURE_TESTS_EXE
set -uo pipefail

exe=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

PIXKEEPER_PIXEL_OUTPUT=$(winepath -w "$out" 2>/dev/null) wine "$exe" || exit 1

failed=0
checked=0
for expected in "$out"/*.rgb; do
  [ -e "$expected" ] || break
  bmp=${expected%.rgb}.bmp
  name=$(basename "$bmp")
  if [ ! -f "$bmp" ]; then
    echo "not captured: $name"
    failed=1
    continue
  fi
  if convert "$bmp" -depth 8 rgb:- | cmp -s - "$expected"; then
    echo "pixels right: $name"
  else
    echo "pixels differ: $name"
    failed=1
  fi
  checked=$((checked + 1))
done

if [ "$checked" -lt 10 ]; then
  echo "only $checked captured files were checked"
  exit 1
fi
exit "$failed"
