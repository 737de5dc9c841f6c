#!/usr/bin/env bash
# Every way of ending (menu, close box, the end of the session) stores the
# nine settings, and the running number survives to the next start.
source "$(dirname "$0")/../lib.sh"

make_save_dir
start_viewer
settings "BaseDir=$BASEDIR" FTYPE=1 FNAME=Q StartValue=5 PresendFlag=0

log "the option marks toggle, then Ctrl+Q ends the program"
start_pixkeeper || exit 1
put_picture rgb24 "$WORK/1.rgb"
expect_capture "first run" 0 Q0005.BMP "$WORK/1.rgb"
press_keys "$MAIN_TITLE" ctrl+p ctrl+i ctrl+v
press_keys "$MAIN_TITLE" ctrl+q
expect_true "Ctrl+Q ends the program" wait_exit "$PK_PID" 10
PK_PID=
expect_nine_keys
expect_eq "stored after Ctrl+Q" "$(reg_dump_sorted | tr '\n' ' ')" \
  "BaseDir=$BASEDIR FNAME=Q FTYPE=1 PresendFlag=0 PresendValue=6 StartMode=1 StartPos=0 StartValue=5 ViewMode=1 "

log "the close box; the running number carries over; a long save directory is kept whole"
# Over 128 characters, with Japanese names in it.
segment='スクリーンショット保存先_long_directory_name'
make_save_dir "$segment/$segment/$segment/$segment"
expect_true "save directory path over 128 characters" test "${#BASEDIR}" -gt 128
reg_set BaseDir "$BASEDIR"
reg_set PresendFlag 1
start_pixkeeper || exit 1
expect_eq "started minimised" "$(probe window-info "$MAIN_TITLE" --no-dialog | awk '$1 == "iconic" {print $2}')" 1
put_picture rgb24 "$WORK/2.rgb" --width 6
expect_capture "second run" 0 Q0006.BMP "$WORK/2.rgb"
stop_pixkeeper
expect_nine_keys
expect_eq "running number after the close box" "$(reg PresendValue)" 7
expect_eq "start mode kept" "$(reg StartMode)" 1
expect_eq "long save directory stored whole" "$(reg BaseDir)" "$BASEDIR"

log "the end of the session: cancelled by another program, then for real"
start_pixkeeper || exit 1
expect_true "asked whether the session may end" probe endsession "$MAIN_TITLE" --no-dialog --cancelled
expect_true "still running after a cancelled session end" probe wait-viewer "$MAIN_TITLE" --timeout 1000
put_picture rgb24 "$WORK/3.rgb" --width 4
expect_capture "third run, into the long directory read back" 0 Q0007.BMP "$WORK/3.rgb"
expect_true "the session may end" probe endsession "$MAIN_TITLE" --no-dialog
expect_true "the program ends with the session" wait_exit "$PK_PID" 10
PK_PID=
expect_nine_keys
expect_eq "running number after the session end" "$(reg PresendValue)" 8

log "the end of the session while the file-name dialog is open"
start_pixkeeper || exit 1
probe restore "$MAIN_TITLE" --no-dialog
press_keys "$MAIN_TITLE" ctrl+f
probe wait-window "$FNAME_TITLE" --visible --timeout 5000 >/dev/null ||
  fail "Ctrl+F did not open the file-name dialog"
put_picture rgb24 "$WORK/4.rgb" --width 4
expect_capture "behind the dialog" 0 Q0008.BMP "$WORK/4.rgb"
expect_true "the session may end with the dialog open" probe endsession "$MAIN_TITLE" --no-dialog
expect_true "the program ends with the session, dialog and all" wait_exit "$PK_PID" 10
PK_PID=
expect_nine_keys
expect_eq "running number after the session end with the dialog open" "$(reg PresendValue)" 9
