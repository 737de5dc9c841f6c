#!/usr/bin/env bash
# Runs a command inside a private Wine session: a throwaway prefix in the
# build folder and an Xvfb display of its own, both ended afterwards.
# Usage: wine-session.sh BUILD_DIR COMMAND [ARGS...]
# With USE_DISPLAY=1 and DISPLAY set, the user's display is used instead of a
# private one (for `make run`).
set -uo pipefail

build_dir=$(cd "$1" && pwd)
shift

export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$build_dir/wineprefix}"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
export PATH="/usr/lib/wine:$PATH"
export LANG=C.UTF-8

xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  [ -n "${fifo_dir:-}" ] && rm -rf "$fifo_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ "${USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  : # the user's display
else
  fifo_dir=$(mktemp -d)
  mkfifo "$fifo_dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <"$fifo_dir/display" || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$display_number"
fi

setup_marker="$WINEPREFIX/.pixkeeper-setup-3"
if [ ! -f "$setup_marker" ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
  fi
  # Wine's own fonts (Tahoma for the frames, Marlett for the caption buttons)
  # are not found by this Wine build unless they are in the prefix.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  # Japanese text: draw the program's font with IPAGothic.
  for name in 'ＭＳ ゴシック' 'MS Gothic' 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic'; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$name" /t REG_SZ /d IPAGothic /f \
      </dev/null >/dev/null 2>&1
  done
  # Xvfb has no window manager: let Wine draw title bars and frames itself, as
  # Windows does, so that screenshots and window sizes are those of the program.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
  wineserver -w
  touch "$setup_marker"
fi

# Keep one server alive for the whole run and start Wine's background services
# before the command, so that they do not hold the command's output open.
wineserver -p 60
wine cmd /c exit </dev/null >/dev/null 2>&1

"$@"
