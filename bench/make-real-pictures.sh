#!/usr/bin/env bash
# Makes the real pictures of the size bench: real programs' windows on a
# display of its own (2560 x 1440), each window taken alone and the whole
# desktop, as raw BGRA files with their sizes. Needs WINEPREFIX set (run it
# inside cmake/wine-session.sh). Usage: make-real-pictures.sh OUT_DIR
set -euo pipefail

out=$1
mkdir -p "$out"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 2560x1440x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
read -r -t 20 number <"$work/display"
export DISPLAY=":$number"
# A desktop of a plain colour with a photo on part of it, as people have them.
convert -size 2560x1440 xc:'#3a6ea5' \
  /usr/share/backgrounds/mate/nature/GreenMeadow.jpg -geometry +1400+620 -composite "$work/desk.png"
display -window root "$work/desk.png" &
pids+=($!)

# Waits for the window named $1 to show, puts it at $2 (x,y) and takes it
# once drawn, as $3.
take_window() {
  local id=
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || { echo "make-real-pictures: no window named $1" >&2; return 1; }
  xdotool windowmove "$id" "${2%,*}" "${2#*,}"
  sleep 2
  take "$3" "$id"
}

take() {  # name window-id
  import -window "$2" "$work/$1.png"
  identify -format '%w %h\n' "$work/$1.png" >"$out/$1.size"
  convert "$work/$1.png" -depth 8 BGRA:"$out/$1.bgra"
}

# The windows side by side, each taken alone as soon as it shows.
xterm -geometry 100x40 -fa Monospace -fs 10 -T listing -e bash -c 'ls -l /usr/bin | head -80; sleep 600' &
pids+=($!)
take_window listing 20,20 terminal
MANWIDTH=90 xterm -geometry 96x50 -fa Monospace -fs 10 -T manual -e bash -c 'man -P cat bash 2>/dev/null | head -300 | tail -60; sleep 600' &
pids+=($!)
take_window manual 860,20 man-page
printf 'Pixkeeper keeps every picture copied while it runs.\r\nThis note was typed into the editor.\r\n' >"$work/note.txt"
wine notepad "$(winepath -w "$work/note.txt")" >/dev/null 2>&1 &
pids+=($!)
take_window note.txt 20,900 notepad
wine winecfg >/dev/null 2>&1 &
pids+=($!)
take_window 'Wine configuration' 1700,40 winecfg
take desktop root
