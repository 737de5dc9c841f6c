#!/usr/bin/env bash
# Runs a command inside a private Wine session: a throwaway prefix in the
# build folder and an Xvfb display of its own, both ended afterwards.
# Usage: [WINE_LANG=ja_JP.UTF-8] wine-session.sh BUILD_DIR COMMAND [ARGS...]
# With USE_DISPLAY=1 and DISPLAY set, the user's display is used instead of a
# private one (for `make run`). Every set-up step that fails stops the session
# with a line that names the step; the command does not run.
set -uo pipefail

build_dir=$(cd "$1" && pwd) || { echo "wine-session: no build folder $1" >&2; exit 1; }
shift

export WINEPREFIX="${WINEPREFIX_OVERRIDE:-$build_dir/wineprefix}"
export WINEDEBUG=-all
export WINEARCH=win64
export WINEDLLOVERRIDES="mscoree,mshtml="
# The throwaway prefix adds no menu entries or file types to the user's desktop.
if [ -z "${WINEPREFIX_OVERRIDE:-}" ]; then
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe="
fi
export PATH="/usr/lib/wine:$PATH"
# Windows' display language follows LANG as Wine starts: WINE_LANG=ja_JP.UTF-8
# gives a Japanese session, the default an English one.
export LANG="${WINE_LANG:-C.UTF-8}"

fail() {
  echo "wine-session: $1" >&2
  [ -n "${2:-}" ] && [ -s "$2" ] && tail -n 5 "$2" | sed 's/^/  | /' >&2
  exit 1
}

for cmd in wine wineboot wineserver Xvfb; do
  command -v "$cmd" >/dev/null 2>&1 || fail "the command '$cmd' is missing; run cmake/install-deps.sh"
done

xvfb_pid=
work_dir=$(mktemp -d)
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; fi
  rm -rf "$work_dir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
log="$work_dir/step.log"

if [ "${USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  : # the user's display
else
  mkfifo "$work_dir/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work_dir/display" >"$log" 2>&1 &
  xvfb_pid=$!
  read -r -t 20 display_number <"$work_dir/display" \
    || fail "starting the virtual display: Xvfb gave no display number within 20 s" "$log"
  export DISPLAY=":$display_number"
fi

# The marker is written only once every step below has succeeded: a prefix
# without it (and without the marker of an earlier, complete set-up, which
# only needs the newer steps) was left half made by an earlier run and is
# made again. Every step can run again on a complete prefix.
setup_marker="$WINEPREFIX/.pixkeeper-setup-5"
earlier_marker="$WINEPREFIX/.pixkeeper-setup-4"
if [ ! -f "$setup_marker" ]; then
  if [ -e "$WINEPREFIX" ] && [ ! -f "$earlier_marker" ]; then
    echo "The Wine prefix $WINEPREFIX was not completely set up; making it again"
    wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX" || fail "removing the half-made prefix $WINEPREFIX"
  fi
  if [ ! -e "$WINEPREFIX" ]; then
    echo "Creating the Wine prefix $WINEPREFIX"
    wineboot -i </dev/null >"$log" 2>&1 || fail "creating the prefix: wineboot -i failed (exit $?)" "$log"
    wineserver -w
  fi
  [ -f "$WINEPREFIX/system.reg" ] && [ -d "$WINEPREFIX/drive_c/windows/Fonts" ] \
    || fail "creating the prefix: wineboot left no system.reg or drive_c/windows in $WINEPREFIX" "$log"

  # Wine's own fonts (Marlett for the caption buttons and the rest) are not
  # found by this Wine build unless they are in the prefix. Tahoma, which Wine
  # draws title bars with, has no Japanese: IPAGothic stands in for it, so the
  # windows' Japanese titles are readable.
  if [ -d /usr/share/wine/fonts ]; then
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>"$log" \
      || fail "copying Wine's fonts into the prefix" "$log"
    rm -f "$WINEPREFIX"/drive_c/windows/Fonts/tahoma*.ttf
  fi
  reg_add() {
    wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f </dev/null >"$log" 2>&1 \
      || fail "setting up the registry: wine reg add '$1' /v '$2' failed" "$log"
  }
  # Japanese text: draw the program's font with IPAGothic.
  for name in 'ＭＳ ゴシック' 'MS Gothic' 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic' Tahoma; do
    reg_add 'HKCU\Software\Wine\Fonts\Replacements' "$name" IPAGothic
  done
  # Xvfb has no window manager: let Wine draw title bars and frames itself, as
  # Windows does, so that screenshots and window sizes are those of the program.
  reg_add 'HKCU\Software\Wine\X11 Driver' Managed N
  wineserver -w
  # Wine links the user's Pictures, Documents and the rest to the Linux
  # user's folders, or to the home itself where there are none: the tests
  # would write there. The throwaway prefix gets real folders of its own;
  # a prefix of the user's (`make run`) keeps the links.
  if [ -z "${WINEPREFIX_OVERRIDE:-}" ]; then
    for folder in "$WINEPREFIX"/drive_c/users/*/{Desktop,Documents,Downloads,Music,Pictures,Templates,Videos}; do
      if [ -L "$folder" ]; then
        { rm "$folder" && mkdir "$folder"; } 2>"$log" || fail "giving the prefix a folder of its own: $folder" "$log"
      fi
    done
  fi
  touch "$setup_marker" || fail "marking the prefix as set up"
  rm -f "$earlier_marker"
fi

# Keep one server alive for the whole run and start Wine's background services
# before the command, so that they do not hold the command's output open.
wineserver -p 60 || fail "starting the Wine server for $WINEPREFIX"
wine cmd /c exit </dev/null >"$log" 2>&1 || fail "starting Wine's services: wine cmd /c exit failed" "$log"

"$@"
