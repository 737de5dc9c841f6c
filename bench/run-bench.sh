#!/usr/bin/env bash
# Times the capture of 1920x1080 and 3840x2160 32-bit pictures, from the
# clipboard change to the closed file, for the program's own capture path and
# for a minimal reference, and reports their peak memory above idle.
# Runs inside cmake/wine-session.sh. Usage: run-bench.sh BUILD_DIR [COUNT]
set -euo pipefail

build_dir=$(cd "$1" && pwd)
count=${2:-7}
exe="$build_dir/bench/pk_bench.exe"
work="$build_dir/bench-run"
rm -rf "$work"
mkdir -p "$work/out"
out_windows=$(winepath -w "$work/out")

# Prints "median_ms peak_above_idle_bytes" for one run.
measure() {
  local mode=$1 width=$2 height=$3
  rm -f "$work/out"/*
  wine "$exe" capture "$mode" "$out_windows" "$count" 2>&1 | tr -d "\r" >"$work/capture.txt" &
  local capturer=$!
  if ! wine "$exe" feed "$width" "$height" "$count" | tr -d "\r" >"$work/feed.txt"; then
    kill "$capturer" 2>/dev/null || true
    echo "bench: the $mode run at ${width}x${height} failed" >&2
    return 1
  fi
  wait "$capturer"
  local freq
  freq=$(awk '$1 == "freq" { print $2 }' "$work/feed.txt")
  paste <(awk '$1 == "t0" { print $2 }' "$work/feed.txt") \
        <(awk '$1 == "t1" { print $2 }' "$work/capture.txt") |
    awk -v f="$freq" '{ printf "%.3f\n", ($2 - $1) * 1000 / f }' | sort -n >"$work/ms.txt"
  local median
  median=$(awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }' "$work/ms.txt")
  local idle peak
  idle=$(awk '$1 == "idle_ws" { print $2 }' "$work/capture.txt")
  peak=$(awk '$1 == "peak_ws" { print $2 }' "$work/capture.txt")
  cp "$work/capture.txt" "$work/capture-$mode-${width}x${height}.txt"
  echo "$median $((peak - idle)) $(tr '\n' ' ' <"$work/ms.txt")"
}

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mib() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1048576 }'; }
max() { [ "$1" -gt "$2" ] && echo "$1" || echo "$2"; }
# Page rounding and the allocator's bookkeeping.
slack=$((1024 * 1024))

printf '%-10s %-10s %10s %7s %14s %12s\n' size path "median ms" ratio "peak-idle MiB" "picture MiB"
status=0
for size in "1920 1080" "3840 2160"; do
  read -r width height <<<"$size"
  picture=$((width * height * 4 + 40))
  ref_all= pk_all= ref_mem=0 pk_mem=0
  # Two rounds, alternating, so that neither path always runs first.
  for round in 1 2; do
    read -r _ mem all < <(measure reference "$width" "$height")
    ref_all="$ref_all $all"; ref_mem=$(max "$ref_mem" "$mem")
    read -r _ mem all < <(measure pixkeeper "$width" "$height")
    pk_all="$pk_all $all"; pk_mem=$(max "$pk_mem" "$mem")
  done
  ref_ms=$(echo "$ref_all" | median)
  pk_ms=$(echo "$pk_all" | median)
  ratio=$(awk -v a="$pk_ms" -v b="$ref_ms" 'BEGIN { printf "%.2f", a / b }')
  printf '%-10s %-10s %10s %7s %14s %12s\n' "${width}x${height}" reference "$ref_ms" "" "$(mib "$ref_mem")" "$(mib "$picture")"
  printf '%-10s %-10s %10s %7s %14s %12s\n' "${width}x${height}" pixkeeper "$pk_ms" "$ratio" "$(mib "$pk_mem")" "$(mib "$picture")"
  echo "  reference (ms):$ref_all"
  echo "  pixkeeper (ms):$pk_all"
  if awk -v r="$ratio" 'BEGIN { exit !(r > 1.2) }'; then
    echo "  target missed: the median is more than 1.2 times the reference's"; status=1
  fi
  if [ "$pk_mem" -gt $((picture + slack)) ]; then
    echo "  target missed: the peak is more than one picture above idle"; status=1
  fi
done
[ $status -eq 0 ] && echo "targets met: median within 1.2 x the reference, peak within one picture above idle"
exit $status
