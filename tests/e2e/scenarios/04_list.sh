#!/usr/bin/env bash
# A click on a listed file puts its path on the clipboard as text and writes
# no file; a double-click on a file that has gone shows the two-line message.
source "$(dirname "$0")/../lib.sh"

make_save_dir
start_viewer
start_bell_counter
settings "BaseDir=$BASEDIR" FTYPE=1 FNAME=L StartValue=1 PresendFlag=0 StartPos=0
start_pixkeeper || exit 1
put_picture rgb24 "$WORK/1.rgb"
expect_capture "first" 0 L0001.BMP "$WORK/1.rgb"
put_picture rgb24 "$WORK/2.rgb" --width 8
expect_capture "second" 1 L0002.BMP "$WORK/2.rgb"

# wait_clip_text TEXT: the clipboard holds TEXT within a bound.
wait_clip_text() {
  local deadline=$((SECONDS + 3))
  until [ "$(probe clip-text 2>/dev/null)" == "$1" ]; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.05
  done
}

bells=$(bell_count)

log "a real click on the first entry"
point=$(probe list-point "$MAIN_TITLE" 0 --no-dialog)
mark=$(viewer_mark)
click_at $point
expect_true "the clicked path is on the clipboard" wait_clip_text "${BASEDIR}L0001.BMP"
settle_after "$mark"
expect_eq "list unchanged after the click" "$(list_count)" 2
expect_eq "no file written for the text" "$(files_in "$OUT")" "L0001.BMP L0002.BMP "
expect_bells "no beep for the path copied" "$bells"

log "the arrow keys change the selection, and so the clipboard"
press_keys "$MAIN_TITLE" Down
expect_true "the path selected by Down is on the clipboard" wait_clip_text "${BASEDIR}L0002.BMP"
press_keys "$MAIN_TITLE" Up
expect_true "the path selected by Up is on the clipboard" wait_clip_text "${BASEDIR}L0001.BMP"
probe list-select "$MAIN_TITLE" 1 --no-dialog
expect_true "the selected path is on the clipboard" wait_clip_text "${BASEDIR}L0002.BMP"
expect_true "only text on the clipboard" bash -c "! wine '$PKPROBE' clip-formats | grep -q CF_DIB"

log "double-click on a deleted file"
rm "$OUT/L0002.BMP"
probe list-dblclick "$MAIN_TITLE" 1 --no-dialog
box=$(probe msgbox "$MAIN_TITLE" --timeout 5000)
expect_eq "message text" "$(grep '^text ' <<<"$box")" \
  "text 対象画像が存在しません。削除された可能性があります。\\r\\n対象画像名 [${BASEDIR}L0002.BMP]"
expect_eq "message icon" "$(grep '^icon ' <<<"$box")" "icon error"
put_picture rgb24 "$WORK/3.rgb" --width 3
expect_capture "a picture copied while the message is up" 2 L0003.BMP "$WORK/3.rgb"
expect_true "message box closes with OK" probe msgbox-ok "$MAIN_TITLE"
expect_eq "the entry stays" "$(list_count)" 3
expect_eq "the entry text stays" "$(list_entry 1)" "${BASEDIR}L0002.BMP"
stop_pixkeeper
