#!/usr/bin/env bash
# The file-name dialog driven through its controls with real mouse and
# keyboard input; what it sets is used by the next capture and stored at exit.
source "$(dirname "$0")/../lib.sh"

OPT_DATE='日付形式(FNAMEmmddhhmmss.BMP)'
OPT_NUMBER='通番形式(FNAME9999.BMP)'
OPT_USER='ユーザ入力形式(保存時に入力ウインドウ表示)'
KEEP_CHECK='終了時に現在値を保持する'

# click_control TEXT-OR-OPTIONS...: a real click in the middle of a control.
click_control() {
  local point
  point=$(probe control-point "$FNAME_TITLE" --visible "$@") || { fail "no control $*"; return 1; }
  click_at $point
}
checked() { probe button-state "$FNAME_TITLE" --visible --text "$1"; }
field_text() { probe control-text "$FNAME_TITLE" --visible "$@"; }

open_dialog() {
  press_keys "$MAIN_TITLE" ctrl+f
  probe wait-window "$FNAME_TITLE" --visible --timeout 5000 >/dev/null ||
    { fail "Ctrl+F did not open the file-name dialog"; return 1; }
}

make_save_dir
start_viewer
settings "BaseDir=$BASEDIR" FTYPE=0 FNAME=BMP StartValue=0 PresendFlag=0 StartPos=0
start_pixkeeper || exit 1
open_dialog || exit 1

log "the controls show the stored settings"
expect_eq "date option selected" "$(checked "$OPT_DATE")" 1
expect_eq "prefix box" "$(field_text --class Edit --text BMP)" BMP
expect_eq "next-value box is disabled and shows 0" \
  "$(field_text --class Edit --enabled 0)" 0

log "options, typing with the key filter, the check box, Reset"
click_control --text "$OPT_NUMBER"
expect_eq "number option selected" "$(checked "$OPT_NUMBER")" 1
expect_eq "date option cleared" "$(checked "$OPT_DATE")" 0

log "a picture copied while the dialog is open is saved behind it, by the option chosen"
put_picture rgb24 "$WORK/behind.rgb" --width 6
expect_capture "behind the dialog" 0 BMP0000.BMP "$WORK/behind.rgb"

# The start-value box is the enabled box that shows "0"; the prefix box
# shows "BMP".
start_point=$(probe control-point "$FNAME_TITLE" --visible --class Edit --enabled 1 --text 0)
prefix_point=$(probe control-point "$FNAME_TITLE" --visible --class Edit --text BMP)
click_at $start_point
xdotool key --delay 30 End BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 30 '1a2-3'
expect_eq "only digits pass" "$(field_text --at "$start_point")" 123
xdotool type --delay 30 '45'
expect_eq "at most four digits" "$(field_text --at "$start_point")" 1234
xdotool key --delay 30 Return Escape

click_at $prefix_point
xdotool key --delay 30 End BackSpace BackSpace BackSpace
xdotool type --delay 30 'PK_'
expect_eq "prefix typed" "$(field_text --at "$prefix_point")" PK_
# The keys typed after Return and Esc reached the dialog, so those two had
# been handled by then.
expect_eq "Return and Esc do not close the dialog" "$(probe count-windows "$FNAME_TITLE" --visible)" 1

click_control --text "$KEEP_CHECK"
expect_eq "keep-number check box" "$(checked "$KEEP_CHECK")" 1
click_control --text Reset
expect_eq "Reset shows the start value as the next value" \
  "$(field_text --class Edit --enabled 0)" 1234

click_control --text '戻る'
expect_true "戻る hides the dialog" probe wait-gone "$FNAME_TITLE" --visible --timeout 3000

log "the next capture uses the dialog's choices"
put_picture rgb24 "$WORK/a.rgb"
expect_capture "after the dialog" 1 PK_1234.BMP "$WORK/a.rgb"
stop_pixkeeper
expect_eq "FTYPE stored" "$(reg FTYPE)" 1
expect_eq "FNAME stored" "$(reg FNAME)" PK_
expect_eq "StartValue stored" "$(reg StartValue)" 1234
expect_eq "PresendFlag stored" "$(reg PresendFlag)" 1
expect_eq "PresendValue stored" "$(reg PresendValue)" 1235

log "next start: the dialog shows the stored values; the close box keeps only the option"
start_pixkeeper || exit 1
open_dialog || exit 1
expect_eq "number option selected" "$(checked "$OPT_NUMBER")" 1
expect_eq "check box from PresendFlag" "$(checked "$KEEP_CHECK")" 1
expect_eq "next value carried over" "$(field_text --class Edit --enabled 0)" 1235
# Reset with an empty start-value box: the box becomes 0 and so does the
# next value; the close box keeps that value but not the box.
start_point=$(probe control-point "$FNAME_TITLE" --visible --class Edit --enabled 1 --text 1234)
click_at $start_point
xdotool key --delay 30 End BackSpace BackSpace BackSpace BackSpace
click_control --text Reset
expect_eq "Reset with an empty box fills in 0" "$(field_text --at "$start_point")" 0
expect_eq "Reset with an empty box gives the next value 0" "$(field_text --class Edit --enabled 0)" 0
click_control --text "$OPT_USER"
prefix_point=$(probe control-point "$FNAME_TITLE" --visible --class Edit --text PK_)
click_at $prefix_point
xdotool key --delay 30 End BackSpace BackSpace BackSpace
xdotool type --delay 30 'ZZ'
probe close "$FNAME_TITLE" >/dev/null
expect_true "the close box closes the dialog" probe wait-gone "$FNAME_TITLE" --visible --timeout 3000
put_picture rgb24 "$WORK/b.rgb"
if probe wait-window "$SAVE_DIALOG_TITLE" --visible --timeout 5000 >/dev/null; then
  pass
  probe press "$SAVE_DIALOG_TITLE" 2
  expect_capture "user-input option kept after the close box" 0 USERINPUT.BMP "$WORK/b.rgb"
else
  fail "the option chosen before the close box did not take effect"
fi
stop_pixkeeper
expect_eq "FTYPE stored after the close box" "$(reg FTYPE)" 2
expect_eq "FNAME not stored by the close box" "$(reg FNAME)" PK_
expect_eq "StartValue not stored by the close box" "$(reg StartValue)" 1234
expect_eq "the reset number kept after the close box" "$(reg PresendValue)" 0
