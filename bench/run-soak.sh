#!/usr/bin/env bash
# The long run: first the proof that the resource counts see a leak, then
# 1000 pictures (or COUNT) of mixed kinds from another process, paced and in
# bursts, against the real program writing BMP files, again writing PNG files
# and again with every picture offered as a DIB, then (for information) the program's memory over
# full-screen pictures handed over as CF_BITMAP and as CF_DIB.
# Runs inside cmake/wine-session.sh.
# Usage: run-soak.sh BUILD_DIR [COUNT] (make soak SOAK_PICTURES=COUNT); with
# SOAK_THUMBNAILS=1 the first run is made again with the list's small pictures.
set -euo pipefail

build_dir=$(cd "$1" && pwd)
count=${2:-1000}
tool="$build_dir/bench/pk_soak.exe"
work="$build_dir/soak-run"
rm -rf "$work"
mkdir -p "$work/out"
out_windows=$(winepath -w "$work/out")
exe_windows=$(winepath -w "$build_dir/Pixkeeper.exe")

status=0
echo "== the counting, on a copy of the tool that leaks on purpose"
wine "$tool" leak-demo | tr -d '\r' || status=1
echo
echo "== $count pictures"
wine "$tool" run "$exe_windows" "$out_windows" "$count" | tr -d '\r' | tee "$work/run.txt" || status=1
cp -r "$work/out" "$work/run-out"
if [ "${SOAK_THUMBNAILS:-0}" = 1 ]; then
  # The same run with the list's small pictures: its memory may grow by what
  # the run above grew (less Wine's share) and 16 MiB more.
  without=$(awk '$1 == "memory" && $2 == "RssAnon" { print $6 - $7 }' "$work/run.txt")
  echo
  echo "== $count pictures with the list's small pictures (memory growth bound: ${without} KiB + 16 MiB)"
  rm -rf "$work/out"; mkdir -p "$work/out"
  wine "$tool" run "$exe_windows" "$out_windows" "$count" thumbnails "$without" | tr -d '\r' || status=1
fi
echo
echo "== $count pictures saved as PNG files"
rm -rf "$work/out"; mkdir -p "$work/out"
wine "$tool" run "$exe_windows" "$out_windows" "$count" png | tr -d '\r' || status=1
echo
echo "== $count pictures offered as DIBs only (memory growth bound: 2 MiB)"
rm -rf "$work/out"; mkdir -p "$work/out"
wine "$tool" run "$exe_windows" "$out_windows" "$count" dibs | tr -d '\r' || status=1
echo
echo "== full-screen pictures: what the program keeps per form (not a target)"
for form in dib bitmap; do
  rm -rf "$work/out"; mkdir -p "$work/out"
  wine "$tool" bitmaps "$exe_windows" "$out_windows" 20 "$form" | tr -d '\r' || status=1
done
# Kept after a failure, to look at.
[ $status -eq 0 ] && rm -rf "$work"
exit $status
