#!/usr/bin/env bash
# Clipboard viewers that joined the chain before Pixkeeper keep receiving the
# change notices while it runs, also when one of them leaves the chain.
source "$(dirname "$0")/../lib.sh"

make_save_dir
settings "BaseDir=$BASEDIR" FTYPE=1 FNAME=V StartValue=1 StartPos=0

# wait_notices STATEFILE MORE_THAN: true when the viewer got another notice.
wait_notices() {
  local deadline=$((SECONDS + 3))
  until [ "$(viewer_value "$1" notices)" -gt "$2" ]; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.02
  done
}

start_viewer a
A_STATE=$VIEWER_STATE
start_viewer b
B_STATE=$VIEWER_STATE
start_pixkeeper || exit 1

log "both earlier viewers hear of a picture and of text"
a=$(viewer_value "$A_STATE" notices)
b=$(viewer_value "$B_STATE" notices)
put_picture rgb24 "$WORK/1.rgb"
expect_capture "picture" 0 V0001.BMP "$WORK/1.rgb"
expect_true "viewer b notified of the picture" wait_notices "$B_STATE" "$b"
expect_true "viewer a notified of the picture" wait_notices "$A_STATE" "$a"
a=$(viewer_value "$A_STATE" notices)
probe clip-put text --text 'viewer text'
expect_true "viewer a notified of text" wait_notices "$A_STATE" "$a"

log "viewer b leaves the chain; a still hears, through Pixkeeper"
probe close "pkprobe viewer b" >/dev/null
probe wait-gone "pkprobe viewer b" >/dev/null
a=$(viewer_value "$A_STATE" notices)
put_picture rgb24 "$WORK/2.rgb" --width 5
expect_capture "picture after b left" 1 V0002.BMP "$WORK/2.rgb"
expect_true "viewer a notified after b left" wait_notices "$A_STATE" "$a"

log "a viewer that joins after Pixkeeper passes the notices on to it"
start_viewer c
C_STATE=$VIEWER_STATE
a=$(viewer_value "$A_STATE" notices)
put_picture rgb24 "$WORK/3.rgb" --width 7
expect_capture "picture with a viewer ahead of Pixkeeper" 2 V0003.BMP "$WORK/3.rgb"
expect_true "viewer a notified through c and Pixkeeper" wait_notices "$A_STATE" "$a"

log "Pixkeeper leaves the chain at exit and names its successor"
stop_pixkeeper
a_window=$(probe wait-window "pkprobe viewer a")
expect_eq "viewer c follows on with a" "$(viewer_value "$C_STATE" next)" "$((a_window))"
a=$(viewer_value "$A_STATE" notices)
probe clip-put text --text 'after exit'
expect_true "viewer a notified after Pixkeeper ended" wait_notices "$A_STATE" "$a"
