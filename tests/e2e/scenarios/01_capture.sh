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
put_picture rgb24 "$WORK/1.rgb"
expect_capture "24-bit DIB" 0 CAP0001.BMP "$WORK/1.rgb"
put_picture pal8 "$WORK/2.rgb" || put_picture rgb24 "$WORK/2.rgb" --width 64 --height 3
expect_capture "second picture" 1 CAP0002.BMP "$WORK/2.rgb"
put_picture rgb24 "$WORK/3.rgb" --form bitmap --width 40 --height 30
expect_capture "device-dependent bitmap only" 2 CAP0003.BMP "$WORK/3.rgb"
expect_eq "files after three pictures" "$(files_in "$OUT")" "CAP0001.BMP CAP0002.BMP CAP0003.BMP "
expect_bells "a beep for each picture" $((bells + 3))

log "text together with a picture is left alone"
mark=$(viewer_mark)
probe clip-put text-picture --text 'セル A1' --picture rgb24 >/dev/null
settle_after "$mark" || log "(no notice reached the viewer; waited out the bound)"
expect_eq "list after text + picture" "$(list_count)" 3
expect_eq "text kept" "$(probe clip-text)" 'セル A1'
expect_true "picture kept with the text" clipboard_has CF_DIB
expect_eq "files after text + picture" "$(files_in "$OUT")" "CAP0001.BMP CAP0002.BMP CAP0003.BMP "
expect_bells "no beep for text + picture" $((bells + 3))

log "a save directory that has gone: no file, no entry, the picture stays"
mv "$OUT" "$OUT.away"
mark=$(viewer_mark)
put_picture rgb24 "$WORK/lost.rgb" >/dev/null
settle_after "$mark" || log "(no notice reached the viewer; waited out the bound)"
expect_eq "list after a failed write" "$(list_count)" 3
expect_true "picture kept after a failed write" clipboard_has CF_DIB
expect_true "no directory made" test ! -e "$OUT"
expect_bells "no beep for a failed write" $((bells + 3))
mv "$OUT.away" "$OUT"

log "the next picture gets the number after the one used up"
put_picture rgb24 "$WORK/5.rgb" --width 5 --height 5
expect_capture "after the failed write" 3 CAP0005.BMP "$WORK/5.rgb"
expect_bells "a beep again" $((bells + 4))

stop_pixkeeper
expect_eq "running number stored" "$(reg PresendValue)" 6
