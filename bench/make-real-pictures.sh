#!/usr/bin/env bash
# Makes the real pictures of the size bench: real programs' windows on
# displays of their own (2560 x 1440, then 3840 x 2160), each window taken
# alone and the whole desktops, as raw BGRA files with their sizes. Needs
# WINEPREFIX set (run it inside cmake/wine-session.sh).
# Usage: make-real-pictures.sh OUT_DIR
set -euo pipefail

out=$(mkdir -p "$1" && cd "$1" && pwd)
photos=/usr/share/backgrounds/mate/nature
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a display of the size $1 (WxH) and makes it this script's.
open_display() {
  rm -f "$work/display"
  mkfifo "$work/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
  pids+=($!)
  local number
  read -r -t 20 number <"$work/display"
  export DISPLAY=":$number"
}

# Shows the picture $1 as the desktop's background.
wallpaper() {
  display -window root "$1" &
  pids+=($!)
  sleep 3
}

# Waits for the window named $1 to show, puts it at $2 (x,y) and takes it
# once drawn, as $3 (when given).
take_window() {
  local id=
  for _ in $(seq 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && break
    sleep 0.2
  done
  [ -n "$id" ] || { echo "make-real-pictures: no window named $1" >&2; return 1; }
  xdotool windowmove "$id" "${2%,*}" "${2#*,}"
  sleep 2
  [ -z "${3:-}" ] || take "$3" "$id"
}

take() {  # name window-id
  import -window "$2" "$work/$1.png"
  identify -format '%w %h\n' "$work/$1.png" >"$out/$1.size"
  convert "$work/$1.png" -depth 8 BGRA:"$out/$1.bgra"
}

# A terminal titled $1 at $2 with the font size $3 and the colours $4 on
# $5, running $6, taken alone as $7 (when given).
terminal() {
  xterm -geometry "${8:-100x40}" -fa 'DejaVu Sans Mono' -fs "$3" -fg "$4" -bg "$5" -T "$1" -e bash -c "$6; sleep 900" &
  pids+=($!)
  take_window "$1" "$2" "${7:-}"
}

# A page as a browser shows one: a bar with the address, a heading, text in
# columns, links, and a photo beside the text.
page_text=$(LANG=C MANWIDTH=100 man -P cat bash 2>/dev/null | sed -n '200,245p' | tr -cd 'A-Za-z0-9 .,;:()\n-')
convert -size 1920x1080 xc:white \
  \( -size 1920x84 xc:'#dee1e6' \) -geometry +0+0 -composite \
  -fill white -draw 'roundrectangle 140,44 1780,76 14,14' \
  -font DejaVu-Sans -pointsize 15 -fill '#202124' -annotate +160+66 'https://www.example.org/guide/shell/expansion.html' \
  -pointsize 34 -fill '#111111' -annotate +200+160 'Shell expansion, step by step' \
  -font DejaVu-Serif -pointsize 16 -fill '#333333' -annotate +160+210 "$page_text" \
  \( "$photos/Garden.jpg" -resize 560x \) -geometry +1240+200 -composite \
  -font DejaVu-Sans -pointsize 16 -fill '#1a0dab' \
  -annotate +1240+660 'Related pages:\nQuoting\nParameters\nArithmetic\nPathname expansion\nRedirections' \
  "$work/page.png"
convert "$work/page.png" -depth 8 BGRA:"$out/browser-page.bgra"
echo "1920 1080" >"$out/browser-page.size"

# The first display: a plain colour with a photo on part of it, then a
# photo over the whole of it, with windows of text in light and dark colours.
open_display 2560x1440
convert -size 2560x1440 xc:'#3a6ea5' "$photos/GreenMeadow.jpg" -geometry +1400+620 -composite "$work/desk.png"
wallpaper "$work/desk.png"
terminal listing 20,20 10 black white 'ls -l /usr/bin | head -80' terminal
MANWIDTH=90 terminal manual 860,20 10 black white 'man -P cat bash 2>/dev/null | head -300 | tail -60' man-page 96x50
terminal small 1700,560 7 '#222222' '#fdf6e3' 'ls -l --color=always /usr/lib | head -90' terminal-small 110x60
terminal editor 700,700 12 '#d4d4d4' '#1e1e1e' \
  'GREP_COLORS="ln=33:se=90" grep --color=always -n "" /usr/include/stdio.h | sed -n 60,120p' editor-dark 110x36
printf 'Pixkeeper keeps every picture copied while it runs.\r\nThis note was typed into the editor.\r\n' >"$work/note.txt"
wine notepad "$(winepath -w "$work/note.txt")" >/dev/null 2>&1 &
pids+=($!)
take_window note.txt 20,900 notepad
wine winecfg >/dev/null 2>&1 &
pids+=($!)
take_window 'Wine configuration' 1700,40 winecfg
take desktop root
convert "$photos/Wood.jpg" -resize 2560x1440^ -gravity center -extent 2560x1440 "$work/wall.png"
wallpaper "$work/wall.png"
take desktop-photo root

# The second display, as large as screens come: a photo behind a dark
# terminal in large letters, a page and the programs above.
open_display 3840x2160
convert "$photos/Aqua.jpg" -resize 3840x2160^ -gravity center -extent 3840x2160 "$work/wall4k.png"
wallpaper "$work/wall4k.png"
terminal large 60,60 16 '#e0e0e0' '#282c34' 'ls -l --color=always /usr/share | head -60' terminal-large 120x45
display -title page "$work/page.png" &
pids+=($!)
take_window page 1800,900
wine winecfg >/dev/null 2>&1 &
pids+=($!)
take_window 'Wine configuration' 2900,100
take desktop-4k root
