#!/usr/bin/env bash
# A second copy refuses to start and leaves the first alone; "/CLEAR" while a
# copy runs deletes the settings, which the running copy writes again at exit.
source "$(dirname "$0")/../lib.sh"

main_info() { probe window-info "$MAIN_TITLE" --no-dialog; }
info_value() { awk -v name="$2" '$1 == name {print $2}' <<<"$1"; }

make_save_dir
start_viewer
settings "BaseDir=$BASEDIR" FTYPE=1 FNAME=S StartValue=1 PresendFlag=0 StartMode=1
start_pixkeeper || exit 1
FIRST_PID=$PK_PID
put_picture rgb24 "$WORK/1.rgb"
expect_capture "first copy" 0 S0001.BMP "$WORK/1.rgb"
before=$(main_info)
expect_eq "first copy minimised" "$(info_value "$before" iconic)" 1

log "a second copy shows the notice and ends after OK"
launch_pixkeeper
SECOND_PID=$PK_PID
PK_PID=$FIRST_PID
box=$(probe msgbox "$NOTICE_TITLE" --timeout 10000)
expect_eq "notice text" "$(grep '^text ' <<<"$box")" "text すでに起動されているので終了します。"
expect_eq "notice icon" "$(grep '^icon ' <<<"$box")" "icon information"
expect_eq "one main window while the notice is up" "$(probe count-windows "$MAIN_TITLE" --no-dialog)" 1
expect_true "the notice closes with OK" probe msgbox-ok "$NOTICE_TITLE"
expect_true "the second copy ends after OK" wait_exit "$SECOND_PID" 10
after=$(main_info)
expect_eq "first copy untouched" "$after" "$before"
expect_eq "first copy's list kept" "$(list_entry 0)" "${BASEDIR}S0001.BMP"
expect_true "first copy still heads the viewer chain" probe wait-viewer "$MAIN_TITLE" --timeout 1000
put_picture rgb24 "$WORK/2.rgb" --width 3
expect_capture "first copy still captures" 1 S0002.BMP "$WORK/2.rgb"

log "/CLEAR followed by another word starts normally, so it meets the first copy"
launch_pixkeeper /CLEAR now
EXTRA_PID=$PK_PID
PK_PID=$FIRST_PID
expect_true "the notice for '/CLEAR now'" probe msgbox-ok "$NOTICE_TITLE"
expect_true "'/CLEAR now' ends after OK" wait_exit "$EXTRA_PID" 10
expect_eq "'/CLEAR now' cleared nothing" "$(reg FNAME)" S

log "/clear (any case) while a copy runs: settings deleted, no notice"
launch_pixkeeper /clear
CLEAR_PID=$PK_PID
PK_PID=$FIRST_PID
expect_true "the clearing copy ends" wait_exit "$CLEAR_PID" 10
expect_eq "no notice from the clearing copy" "$(probe count-windows "$NOTICE_TITLE")" 0
expect_eq "settings deleted" "$(probe reg-dump)" absent
expect_eq "first copy still runs" "$(probe count-windows "$MAIN_TITLE" --no-dialog)" 1

log "the running copy writes all nine keys again at exit"
stop_pixkeeper
expect_nine_keys
expect_eq "running number written again" "$(reg PresendValue)" 3
expect_eq "start mode written again" "$(reg StartMode)" 1

log "a window of another program titled Pixkeeper blocks the start too"
probe viewer "$(winpath "$WORK/other.state")" --title "$MAIN_TITLE" >>"$WORK/viewer.log" 2>&1 &
OTHER_PID=$!
started_pids+=("$OTHER_PID")
probe wait-window "$MAIN_TITLE" >/dev/null
launch_pixkeeper
expect_true "notice because of the other window" probe msgbox-ok "$NOTICE_TITLE"
expect_true "refused by the other window" wait_exit "$PK_PID" 10
PK_PID=
probe close "$MAIN_TITLE" >/dev/null
expect_true "the other program's window is gone" wait_exit "$OTHER_PID" 10

log "two copies started at the same moment: one runs, the other is refused"
launch_pixkeeper
A_PID=$PK_PID
launch_pixkeeper
B_PID=$PK_PID
expect_true "one of the two shows the notice" probe msgbox-ok "$NOTICE_TITLE"
# The copy that runs may still be loading, not yet shown, when the notice is up.
probe wait-window "$MAIN_TITLE" --no-dialog --visible --timeout 20000 >/dev/null
expect_eq "one main window" "$(probe count-windows "$MAIN_TITLE" --no-dialog --visible)" 1
deadline=$((SECONDS + 10))
while process_alive "$A_PID" && process_alive "$B_PID" && [ $SECONDS -lt $deadline ]; do sleep 0.05; done
if ! process_alive "$A_PID"; then PK_PID=$B_PID; elif ! process_alive "$B_PID"; then PK_PID=$A_PID; else
  fail "neither copy ended after the notice"
fi
expect_true "the other heads the viewer chain" probe wait-viewer "$MAIN_TITLE" --timeout 5000
stop_pixkeeper
