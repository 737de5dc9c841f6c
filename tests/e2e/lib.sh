# shellcheck shell=bash
# Shared steps of the end-to-end scenarios. Sourced by each scenario script,
# which CTest runs inside the Wine session of cmake/wine-session.sh
# (WINEPREFIX and DISPLAY come from there; PKPROBE, PIXKEEPER and E2E_WORK
# from tests/e2e/CMakeLists.txt).
#
# Every check records a failure and goes on, so one run shows every fault of
# a scenario; the script's exit code is 1 when any check failed. On exit the
# scenario ends what it started and leaves no settings behind.

set -uo pipefail

: "${PKPROBE:?}" "${PIXKEEPER:?}" "${E2E_WORK:?}"
[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] || {
  echo "run inside cmake/wine-session.sh" >&2
  exit 1
}

SCENARIO=$(basename "$0" .sh)
WORK="$E2E_WORK/$SCENARIO"
rm -rf "$WORK"
mkdir -p "$WORK"

# shellcheck disable=SC2034  # the scenarios use them
MAIN_TITLE=Pixkeeper
NOTICE_TITLE='Pixkeeperからのお知らせ'
FNAME_TITLE='保存ファイル名選択'
SAVE_DIALOG_TITLE='画像ファイル選択'
NINE_KEYS=(BaseDir FTYPE FNAME StartValue PresendFlag PresendValue StartPos StartMode ViewMode)

failures=0
checks=0
PK_PID=
VIEWER_PID=
VIEWER_STATE=
started_pids=()   # Windows programs: asked to close first
helper_pids=()    # Linux helpers: ended straight away
viewer_titles=()

log() { printf '[%s %3ds] %s\n' "$SCENARIO" "$SECONDS" "$*"; }
fail() {
  failures=$((failures + 1))
  printf '[%s] FAIL: %s\n' "$SCENARIO" "$*"
}
pass() { checks=$((checks + 1)); }

# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
  if [ "$2" == "$3" ]; then pass; else fail "$1: got '$2', expected '$3'"; fi
}
# expect_true WHAT COMMAND...: the command succeeds (its output is dropped).
expect_true() {
  local what=$1
  shift
  if "$@" >/dev/null; then pass; else fail "$what"; fi
}
# expect_near WHAT ACTUAL EXPECTED [TOLERANCE]: integers within a pixel.
expect_near() {
  local tolerance=${4:-1}
  local difference=$(($2 - $3))
  if [ "${difference#-}" -le "$tolerance" ]; then pass; else fail "$1: got $2, expected $3 (±$tolerance)"; fi
}

probe() { wine "$PKPROBE" "$@" </dev/null; }
winpath() { winepath -w "$1" 2>/dev/null; }

# Wine's desktop process keeps the output of the process that started it open
# as long as it runs; started here it holds nothing that CTest waits for.
# Background programs write to files for the same reason.
probe desktop >/dev/null 2>&1

# The test display has no window manager, and Wine waits two seconds for one
# to withdraw every window that is hidden or destroyed (the end of each run,
# each hidden dialog). Pixkeeper's windows are left unmanaged instead, in the
# test prefix only.
wine reg add 'HKCU\Software\Wine\AppDefaults\Pixkeeper.exe\X11 Driver' /v Managed /t REG_SZ \
  /d N /f </dev/null >/dev/null 2>&1

# --- processes ---------------------------------------------------------------

process_alive() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ]
}

# wait_exit PID [SECONDS]: true when the process ended within the bound.
wait_exit() {
  local deadline=$((SECONDS + ${2:-10}))
  while process_alive "$1"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
  wait "$1" 2>/dev/null
  return 0
}

# Starts a copy of Pixkeeper in the background; PK_PID is its process.
launch_pixkeeper() {
  wine "$PIXKEEPER" "$@" </dev/null >>"$WORK/pixkeeper.log" 2>&1 &
  PK_PID=$!
  started_pids+=("$PK_PID")
}

# Starts Pixkeeper and waits until its main window is in the clipboard viewer
# chain, the last step of its start-up. The bound is generous: on a loaded
# machine starting a Wine process alone takes seconds.
start_pixkeeper() {
  launch_pixkeeper "$@"
  if ! probe wait-viewer "$MAIN_TITLE" --timeout 30000 >/dev/null; then
    fail "Pixkeeper did not start and join the clipboard viewer chain"
    # What stands in its way, for the log.
    echo "  head of the viewer chain: $(probe clipboard-viewer 2>&1)" >&2
    echo "  windows titled $MAIN_TITLE: $(probe count-windows "$MAIN_TITLE" 2>&1)," \
      "main windows: $(probe count-windows "$MAIN_TITLE" --top-class PixkeeperForm1 2>&1)" >&2
    probe msgbox "${MAIN_TITLE}からのお知らせ" --timeout 100 >&2 2>&1 || true
    # A start-up error is shown in a box that bears the program's title.
    probe msgbox "$MAIN_TITLE" --timeout 100 >&2 2>&1 || true
    return 1
  fi
  # Joining the chain ends the load step; the window is shown (normal or
  # minimised) just after it, and checks of its state must not run before.
  if ! probe wait-window "$MAIN_TITLE" --no-dialog --visible --timeout 30000 >/dev/null; then
    fail "Pixkeeper joined the viewer chain but its window was never shown"
    return 1
  fi
}

# Ends the running copy through its close box and waits for the process.
stop_pixkeeper() {
  [ -n "$PK_PID" ] || return 0
  probe close "$MAIN_TITLE" --no-dialog >/dev/null
  if ! wait_exit "$PK_PID" 20; then
    fail "Pixkeeper did not end after WM_CLOSE"
    kill -9 "$PK_PID" 2>/dev/null
  fi
  PK_PID=
}

# A counting clipboard viewer of the probe; it joins the chain now.
start_viewer() {
  VIEWER_STATE="$WORK/viewer.${1:-a}.state"
  local title="pkprobe viewer ${1:-a}"
  rm -f "$VIEWER_STATE"
  probe viewer "$(winpath "$VIEWER_STATE")" --title "$title" >>"$WORK/viewer.log" 2>&1 &
  VIEWER_PID=$!
  started_pids+=("$VIEWER_PID")
  viewer_titles+=("$title")
  local deadline=$((SECONDS + 10))
  until [ -s "$VIEWER_STATE" ]; do
    [ $SECONDS -ge $deadline ] && { fail "the probe viewer did not start"; return 1; }
    sleep 0.05
  done
}

# The beep reaches the X server as a bell; xkbevd (it comes with Xvfb)
# appends a line to a file for each bell. It rings once itself as it starts.
start_bell_counter() {
  BELLS="$WORK/bells"
  : >"$BELLS"
  printf 'Bell() shell "echo bell >> %s"\n' "$BELLS" >"$WORK/xkbevd.cf"
  xkbevd -cfg "$WORK/xkbevd.cf" </dev/null >>"$WORK/xkbevd.log" 2>&1 &
  helper_pids+=($!)
  local deadline=$((SECONDS + 3))
  until [ -s "$BELLS" ]; do
    [ $SECONDS -ge $deadline ] && break
    sleep 0.02
  done
}
bell_count() { wc -l <"$BELLS"; }
# expect_bells WHAT COUNT: COUNT bells so far, waiting a moment for late ones.
expect_bells() {
  local deadline=$((SECONDS + 2))
  until [ "$(bell_count)" -ge "$2" ] || [ $SECONDS -ge $deadline ]; do sleep 0.02; done
  sleep 0.2
  expect_eq "$1" "$(bell_count)" "$2"
}

# viewer_value STATEFILE NAME: notices, chainchanges or next.
viewer_value() { awk -v name="$2" '$1 == name {print $2}' "$1" 2>/dev/null; }

cleanup() {
  local pid title
  for pid in "${helper_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  # Close politely what is still open, then make sure.
  if [ -n "$PK_PID" ] && process_alive "$PK_PID"; then
    probe close "$MAIN_TITLE" --no-dialog >/dev/null 2>&1
  fi
  for title in "${viewer_titles[@]}"; do probe close "$title" >/dev/null 2>&1; done
  for pid in "${started_pids[@]}"; do
    if process_alive "$pid" && ! wait_exit "$pid" 3; then kill -9 "$pid" 2>/dev/null; fi
  done
  for pid in "${started_pids[@]}"; do
    process_alive "$pid" && kill -9 "$pid" 2>/dev/null
  done
  probe reg-clear >/dev/null 2>&1
}

finish() {
  cleanup
  log "$checks checks passed, $failures failed"
  [ "$failures" -eq 0 ]
}
trap 'finish; exit $?' EXIT

# --- settings, files, clipboard ---------------------------------------------

# A save directory inside the build tree; BASEDIR is its Windows path with the
# final "\" that the program joins names to.
make_save_dir() {
  local name=${1:-out}
  OUT="$WORK/$name"
  mkdir -p "$OUT"
  # winepath cuts long paths short: only the scenario's folder goes through it.
  BASEDIR="$(winpath "$WORK")\\${name//\//\\}\\"
}

# reg_set KEY TEXT: stores one value; a store that did not take it would
# make every later check about it misleading.
reg_set() { probe reg-set "$1" "$2" || fail "could not store $1=$2"; }

# settings KEY=VALUE...: a clean store with just these values.
settings() {
  probe reg-clear || fail "could not clear the settings"
  local pair
  for pair in "$@"; do reg_set "${pair%%=*}" "${pair#*=}"; done
}

reg() { probe reg-get "$1"; }

# The stored values as "NAME=TEXT" lines, sorted by name.
reg_dump_sorted() { probe reg-dump | LC_ALL=C sort; }

# expect_nine_keys: exactly the nine settings are stored.
expect_nine_keys() {
  local names expected
  names=$(probe reg-dump | sed 's/[=:].*//' | LC_ALL=C sort | tr '\n' ' ')
  expected=$(printf '%s\n' "${NINE_KEYS[@]}" | LC_ALL=C sort | tr '\n' ' ')
  expect_eq "stored keys" "$names" "$expected"
}

list_count() { probe list-items "$MAIN_TITLE" --no-dialog | awk 'NR == 1 {print $2}'; }
list_entry() { probe list-items "$MAIN_TITLE" --no-dialog | sed -n "$(($1 + 2))p"; }
files_in() { (cd "$1" && LC_ALL=C ls -1A) | tr '\n' ' '; }
clipboard_count() { probe clip-formats | awk 'NR == 1 {print $2}'; }
clipboard_has() { probe clip-formats | grep -q " $1\$"; }

# put_picture NAME EXPECTED_RGB_FILE [clip-put options...]
put_picture() {
  local name=$1 expect=$2
  shift 2
  probe clip-put picture --picture "$name" --expect "$(winpath "$expect")" "$@"
}

# The viewer hears of a clipboard change only after Pixkeeper, which is ahead
# of it in the chain, has handled it: waiting for the viewer's next notice is
# how a scenario knows that Pixkeeper is done with a change that should leave
# no trace. Without a notice, it waits out the bound.
viewer_mark() { viewer_value "$VIEWER_STATE" notices; }
settle_after() {
  local before=$1 deadline=$((SECONDS + 3))
  while [ "$(viewer_mark)" -le "$before" ]; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.02
  done
  return 0
}

# expect_pixels WHAT BMP EXPECTED_RGB: decoded by ImageMagick.
expect_pixels() {
  if [ ! -f "$2" ]; then
    fail "$1: $2 does not exist"
  elif convert "$2" -depth 8 rgb:- 2>/dev/null | cmp -s - "$3"; then
    pass
  else
    fail "$1: the pixels of $(basename "$2") differ from the picture put on the clipboard"
  fi
}

# expect_capture WHAT INDEX NAME EXPECTED_RGB [keep]: entry INDEX is
# BASEDIR+NAME, the file holds the picture, the clipboard is empty (unless
# "keep": another picture came meanwhile).
expect_capture() {
  local what=$1 index=$2 name=$3 rgb=$4 keep=${5:-}
  if ! probe list-wait "$MAIN_TITLE" $((index + 1)) --no-dialog --timeout 5000 >/dev/null; then
    fail "$what: no list entry appeared"
    return
  fi
  expect_eq "$what: list entry" "$(list_entry "$index")" "$BASEDIR$name"
  [ -n "$keep" ] || expect_true "$what: clipboard emptied" probe clip-wait-empty --timeout 3000
  expect_pixels "$what" "$OUT/$name" "$rgb"
}

# press_keys TITLE [probe options] -- KEYS...: keys to a window through the
# X server, as a user types them (without "--", KEYS follow the title).
press_keys() {
  local title=$1 options=() xid
  shift
  if [[ " $* " == *" -- "* ]]; then
    while [ "$1" != -- ]; do options+=("$1"); shift; done
    shift
  else
    options=(--no-dialog)
  fi
  xid=$(probe xid "$title" "${options[@]}") || { fail "no X window for \"$title\""; return 1; }
  xdotool windowfocus --sync "$xid" 2>/dev/null || xdotool windowfocus "$xid"
  xdotool key --clearmodifiers --delay 30 "$@"
}
# click_at X Y [REPEAT]: a real left click on the screen. "mousemove --sync"
# waits for the pointer to leave where it is, and gives up only after about
# 15 seconds when it is already at the target (a scenario run again on the
# same display clicks the same spot): move only when it has to.
click_at() {
  local X= Y= SCREEN= WINDOW=
  eval "$(xdotool getmouselocation --shell 2>/dev/null)"
  if [ "$X" != "$1" ] || [ "$Y" != "$2" ]; then xdotool mousemove --sync "$1" "$2"; fi
  xdotool click --repeat "${3:-1}" --delay 80 1
}
