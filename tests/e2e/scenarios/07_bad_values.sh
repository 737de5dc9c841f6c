#!/usr/bin/env bash
# A stored value that cannot be converted stops the start with a message
# giving the error's number and text: no main window, nothing written. "/CLEAR"
# is the way out.
source "$(dirname "$0")/../lib.sh"

make_save_dir
TYPE_MISMATCH='型が一致しません。'
OVERFLOW='オーバーフローしました。'

# start_refused WHAT NUMBER TEXT KEY=VALUE...: the store holds BaseDir and
# the given values; the start must fail with error NUMBER.
start_refused() {
  local what=$1 number=$2 text=$3
  shift 3
  settings "BaseDir=$BASEDIR" "$@"
  local stored
  stored=$(reg_dump_sorted)
  launch_pixkeeper
  local box
  if ! box=$(probe msgbox "$MAIN_TITLE" --timeout 10000); then
    fail "$what: no error message"
  else
    local shown
    shown=$(grep '^text ' <<<"$box" | tr '\n' ' ')
    if [[ "$shown" == *"$number"* && "$shown" == *"$text"* ]]; then pass; else
      fail "$what: the message '$shown' lacks the number $number or the text $text"
    fi
    expect_eq "$what: no main window" "$(probe count-windows "$MAIN_TITLE" --no-dialog --visible)" 0
    probe msgbox-ok "$MAIN_TITLE" >/dev/null
  fi
  expect_true "$what: the program ends" wait_exit "$PK_PID" 10
  PK_PID=
  expect_eq "$what: nothing written" "$(reg_dump_sorted)" "$stored"
}

for key in FTYPE PresendFlag PresendValue StartPos StartMode ViewMode; do
  start_refused "$key letters" 13 "$TYPE_MISMATCH" "$key=abc"
  start_refused "$key empty" 13 "$TYPE_MISMATCH" "$key="
  start_refused "$key 40000" 6 "$OVERFLOW" "$key=40000"
  start_refused "$key -40000" 6 "$OVERFLOW" "$key=-40000"
done
start_refused "StartValue letters with PresendFlag 0" 13 "$TYPE_MISMATCH" StartValue=12x PresendFlag=0

log "a naming scheme outside 0..2 stops the start too"
settings "BaseDir=$BASEDIR" FTYPE=3
launch_pixkeeper
if probe msgbox "$MAIN_TITLE" --timeout 10000 >/dev/null; then
  pass
  expect_eq "FTYPE 3: no main window" "$(probe count-windows "$MAIN_TITLE" --no-dialog --visible)" 0
  probe msgbox-ok "$MAIN_TITLE" >/dev/null
else
  fail "FTYPE 3: no error message"
fi
expect_true "FTYPE 3: the program ends" wait_exit "$PK_PID" 10
PK_PID=

log "/CLEAR removes the bad value; the next start works with the defaults"
settings "BaseDir=$BASEDIR" StartPos=abc
launch_pixkeeper /CLEAR
expect_true "/CLEAR ends by itself" wait_exit "$PK_PID" 10
PK_PID=
expect_eq "settings deleted" "$(probe reg-dump)" absent
start_pixkeeper && pass
stop_pixkeeper
expect_eq "default StartPos stored" "$(reg StartPos)" 1
expect_eq "default BaseDir stored" "$(reg BaseDir)" 'C:\'
