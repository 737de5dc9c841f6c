#!/usr/bin/env bash
# The three naming schemes, chosen by the stored settings.
source "$(dirname "$0")/../lib.sh"

make_save_dir
start_viewer

log "running number from the start value; the stored number is not used"
settings "BaseDir=$BASEDIR" FTYPE=1 FNAME=NUM StartValue=0012 PresendFlag=0 PresendValue=37 StartPos=0
start_pixkeeper || exit 1
put_picture rgb24 "$WORK/a.rgb"
expect_capture "start value 0012" 0 NUM0012.BMP "$WORK/a.rgb"
stop_pixkeeper
expect_eq "number reached, stored over 37" "$(reg PresendValue)" 13

log "the running number carries over with PresendFlag 1; a Japanese prefix"
reg_set PresendFlag 1
reg_set FNAME '画像'
start_pixkeeper || exit 1
put_picture rgb24 "$WORK/b.rgb"
expect_capture "carried over" 0 画像0013.BMP "$WORK/b.rgb"
stop_pixkeeper

log "an empty prefix, and past 9999 back to 0000"
reg_set FNAME ''
reg_set PresendValue 9998
start_pixkeeper || exit 1
put_picture rgb24 "$WORK/c1.rgb"
expect_capture "9998" 0 9998.BMP "$WORK/c1.rgb"
put_picture rgb24 "$WORK/c2.rgb" --width 9
expect_capture "9999" 1 9999.BMP "$WORK/c2.rgb"
put_picture rgb24 "$WORK/c3.rgb" --width 11
expect_capture "0000 after 9999" 2 0000.BMP "$WORK/c3.rgb"
stop_pixkeeper
expect_eq "number after the wrap" "$(reg PresendValue)" 1

log "date and time: -2 and -3 within one second, none in the next"
rm -f "$OUT"/*
settings "BaseDir=$BASEDIR" FTYPE=0 FNAME=DT StartPos=0
start_pixkeeper || exit 1
# Three pictures within one second: the probe puts the next as soon as the
# previous one has been taken, starting just after a second begins.
probe clip-put picture --picture rgb24 --repeat 3 --align-second >"$WORK/stamps" ||
  fail "three pictures in one second were not taken"
probe list-wait "$MAIN_TITLE" 3 --no-dialog --timeout 5000 >/dev/null
first=$(list_entry 0)
stamp=${first#"${BASEDIR}DT"}
stamp=${stamp%.BMP}
if [[ "$stamp" =~ ^[0-9]{10}$ ]]; then pass; else fail "stamp of '$first' is not ten digits"; fi
expect_eq "stamp is the local month-day-time" "$stamp" "$(head -n1 "$WORK/stamps")"
expect_eq "second in the same second" "$(list_entry 1)" "${BASEDIR}DT$stamp-2.BMP"
expect_eq "third in the same second" "$(list_entry 2)" "${BASEDIR}DT$stamp-3.BMP"
probe clip-put picture --picture rgb24 --align-second >"$WORK/stamps2"
probe list-wait "$MAIN_TITLE" 4 --no-dialog --timeout 5000 >/dev/null
expect_eq "a new second starts without suffix" "$(list_entry 3)" "${BASEDIR}DT$(head -n1 "$WORK/stamps2").BMP"
expect_eq "four files" "$(files_in "$OUT" | wc -w)" 4
stop_pixkeeper

log "user input: the save dialog asks for each name"
rm -f "$OUT"/*
settings "BaseDir=$BASEDIR" FTYPE=2 StartPos=0
start_pixkeeper || exit 1
put_picture rgb24 "$WORK/u1.rgb"
if probe wait-window "$SAVE_DIALOG_TITLE" --visible --timeout 5000 >/dev/null; then
  # The standard save dialog, modal to the main window, opened in the save
  # directory with the one filter and without the read-only check box.
  info=$(probe window-info "$SAVE_DIALOG_TITLE" --visible)
  expect_eq "save dialog owned by the main window" "$(awk '$1 == "owner" {print $2}' <<<"$info")" \
    "$(probe wait-window "$MAIN_TITLE" --no-dialog)"
  expect_eq "save dialog opens in the save directory" \
    "$(probe control-text "$SAVE_DIALOG_TITLE" --visible --id 1137)" out
  expect_eq "save dialog filter" "$(probe control-text "$SAVE_DIALOG_TITLE" --visible --id 1136)" \
    '画像ﾌｧｲﾙ (*.BMP)'
  expect_true "save dialog without the read-only check box" \
    grep -q ' id=1040 .* visible=0 ' <<<"$info"
  # Typed by the user into the name box, which has the focus; the name is
  # used as typed, no extension added.
  press_keys "$SAVE_DIALOG_TITLE" --top-class '#32770' -- End
  xdotool type --delay 30 typed_name
  xdotool key Return
  expect_capture "typed name" 0 typed_name "$WORK/u1.rgb"
else
  fail "the save dialog did not open"
fi

log "user input: a cancelled dialog gives USERINPUT.BMP; a picture copied meanwhile is kept"
put_picture rgb24 "$WORK/u2.rgb" --width 7
if probe wait-window "$SAVE_DIALOG_TITLE" --visible --timeout 5000 >/dev/null; then
  put_picture rgb24 "$WORK/u3.rgb" --width 13
  probe press "$SAVE_DIALOG_TITLE" 2
  expect_capture "cancelled" 1 USERINPUT.BMP "$WORK/u2.rgb" keep
  # The picture copied while the dialog was open is asked for in turn.
  if probe wait-window "$SAVE_DIALOG_TITLE" --visible --timeout 5000 >/dev/null; then
    probe set-text "$SAVE_DIALOG_TITLE" later.BMP --class Edit
    probe press "$SAVE_DIALOG_TITLE" 1
    expect_capture "copied while the dialog was open" 2 later.BMP "$WORK/u3.rgb"
  else
    fail "a picture copied while the save dialog was open was dropped"
  fi
else
  fail "the save dialog did not open"
fi
stop_pixkeeper
