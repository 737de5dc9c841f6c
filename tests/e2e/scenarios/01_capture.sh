#!/usr/bin/env bash
# Pictures copied by another process become BMP files in the save directory,
# listed by their full paths; the clipboard is emptied after each. What is
# not a picture to keep (a picture present at start, text with a picture, a
# picture that cannot be written) leaves no file and no entry.
source "$(dirname "$0")/../lib.sh"

make_save_dir
settings "BaseDir=$BASEDIR" FTYPE=1 FNAME=CAP StartValue=1 PresendFlag=0 StartPos=0

log "a picture already on the clipboard at start is discarded"
put_picture rgb24 "$WORK/start.rgb"
start_viewer
start_bell_counter
start_pixkeeper || exit 1
bells=$(bell_count)
expect_eq "clipboard at start" "$(clipboard_count)" 0
expect_eq "list at start" "$(list_count)" 0
expect_eq "files at start" "$(files_in "$OUT")" ""

log "pictures of several kinds, one after another"
kinds=(rgb24 pal8 rle8 bitfields32 topdown24 v5rgb24 core24)
expected_files=
for i in "${!kinds[@]}"; do
  name=$(printf 'CAP%04d.BMP' $((i + 1)))
  put_picture "${kinds[i]}" "$WORK/$i.rgb"
  expect_capture "${kinds[i]}" "$i" "$name" "$WORK/$i.rgb"
  expected_files+="$name "
done
n=${#kinds[@]}
put_picture rgb32 "$WORK/screen.rgb" --width 1920 --height 1080
expect_capture "a full-screen picture" "$n" "$(printf 'CAP%04d.BMP' $((n + 1)))" "$WORK/screen.rgb"
expected_files+="$(printf 'CAP%04d.BMP' $((n + 1))) "
n=$((n + 1))
put_picture rgb24 "$WORK/ddb.rgb" --form bitmap --width 40 --height 30
expect_capture "device-dependent bitmap only" "$n" "$(printf 'CAP%04d.BMP' $((n + 1)))" "$WORK/ddb.rgb"
expected_files+="$(printf 'CAP%04d.BMP' $((n + 1))) "
n=$((n + 1))
expect_eq "files after the pictures" "$(files_in "$OUT")" "$expected_files"
expect_bells "a beep for each picture" $((bells + n))

log "text together with a picture is left alone"
mark=$(viewer_mark)
probe clip-put text-picture --text 'セル A1' --picture rgb24 >/dev/null
settle_after "$mark" || log "(no notice reached the viewer; waited out the bound)"
expect_eq "list after text + picture" "$(list_count)" "$n"
expect_eq "text kept" "$(probe clip-text)" 'セル A1'
expect_true "picture kept with the text" clipboard_has CF_DIB
expect_eq "files after text + picture" "$(files_in "$OUT")" "$expected_files"
expect_bells "no beep for text + picture" $((bells + n))

log "what is no bitmap, or no valid one, is left alone and does no harm"
for kind in png malformed-truncated malformed-header; do
  mark=$(viewer_mark)
  if [ "$kind" == png ]; then probe clip-put png; else probe clip-put picture --picture "$kind"; fi
  settle_after "$mark" || log "(no notice reached the viewer; waited out the bound)"
  expect_eq "$kind: no entry" "$(list_count)" "$n"
  expect_true "$kind: left on the clipboard" test "$(clipboard_count)" -gt 0
done
expect_eq "files after what is no picture" "$(files_in "$OUT")" "$expected_files"
expect_bells "no beep for what is no picture" $((bells + n))
expect_true "still running" process_alive "$PK_PID"

log "a save directory that has gone: no file, no entry, the picture stays"
mv "$OUT" "$OUT.away"
mark=$(viewer_mark)
put_picture rgb24 "$WORK/lost.rgb" >/dev/null
settle_after "$mark" || log "(no notice reached the viewer; waited out the bound)"
expect_eq "list after a failed write" "$(list_count)" "$n"
expect_true "picture kept after a failed write" clipboard_has CF_DIB
expect_true "no directory made" test ! -e "$OUT"
expect_bells "no beep for a failed write" $((bells + n))
mv "$OUT.away" "$OUT"

log "the next picture gets the number after the one used up"
put_picture rgb24 "$WORK/5.rgb" --width 5 --height 5
expect_capture "after the failed write" "$n" "$(printf 'CAP%04d.BMP' $((n + 2)))" "$WORK/5.rgb"
expect_bells "a beep again" $((bells + n + 1))

stop_pixkeeper
expect_eq "running number stored" "$(reg PresendValue)" $((n + 3))
