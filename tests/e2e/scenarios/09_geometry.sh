#!/usr/bin/env bash
# The main window and the file-name dialog as laid out (twips at 15 to a
# pixel, a pixel allowed for rounding), with screenshots to look at.
source "$(dirname "$0")/../lib.sh"

SHOTS="$E2E_WORK/screenshots"
mkdir -p "$SHOTS"

info_value() { awk -v name="$2" '$1 == name {$1 = ""; sub(/^ /, ""); print}' <<<"$1"; }
# info_field INFO INDEX: the INDEXth number of a "rect"/"client" line.
has_style() { (( ($1 & $2) != 0 )); }

# expect_control WHAT INFO CLASS TEXT X Y W H: a child of that class (and
# text, unless empty) at that place in the client area, within a pixel.
expect_control() {
  local what=$1 info=$2 class=$3 text=$4 x=$5 y=$6 w=$7 h=$8
  local found
  found=$(awk -v class="$class" -v text="$text" -v x="$x" -v y="$y" -v w="$w" -v h="$h" '
    function near(a, b) { return a - b <= 1 && b - a <= 1 }
    $1 == "child" {
      line = $0
      t = index(line, " text=") ? substr(line, index(line, " text=") + 6) : ""
      for (i = 2; i <= NF; i++) { split($i, kv, "="); f[kv[1]] = kv[2] }
      if (f["class"] == class && (text == "" || t == text) &&
          near(f["x"], x) && near(f["y"], y) && near(f["w"], w) && near(f["h"], h)) {
        print "yes"; exit
      }
    }' <<<"$info")
  if [ "$found" == yes ]; then
    pass
  else
    local actual
    actual=$(grep "class=$class " <<<"$info" | grep -F "text=$text" | head -n 3)
    fail "$what: no $class '$text' at $x,$y ${w}x$h; have: ${actual:-nothing}"
  fi
}

# screenshot NAME X Y W H: the screen, and the window cut out of it.
screenshot() {
  import -window root "$SHOTS/screen-$1.png" 2>/dev/null
  convert "$SHOTS/screen-$1.png" -crop "${4}x${5}+${2}+${3}" +repage "$SHOTS/$1.png" 2>/dev/null
  local colours
  colours=$(convert "$SHOTS/$1.png" -format %k info: 2>/dev/null)
  # A window with text drawn in it has many shades, an empty one a few.
  if [ "${colours:-0}" -gt 8 ]; then pass; else fail "$1: the screenshot shows no text (${colours:-no} colours)"; fi
}

# screen_pixel SHOT X Y: the colour at a screen point of a screenshot.
screen_pixel() { convert "$SHOTS/screen-$1.png" -format "%[pixel:p{$2,$3}]" info: 2>/dev/null; }

make_save_dir
settings "BaseDir=$BASEDIR" FTYPE=1 FNAME=G StartValue=1 StartPos=0
start_viewer
start_pixkeeper || exit 1
put_picture rgb24 "$WORK/1.rgb"
expect_capture "an entry to show" 0 G0001.BMP "$WORK/1.rgb"

log "main window"
info=$(probe window-info "$MAIN_TITLE" --no-dialog)
read -r _ cx cy cw ch <<<"$(grep '^client ' <<<"$info")"
read -r _ wx wy ww wh <<<"$(grep '^rect ' <<<"$info")"
style=$(info_value "$info" style)
expect_near "client width (4935 twips)" "$cw" 329
expect_near "client height (3495 twips)" "$ch" 233
expect_near "client left (3900 twips)" "$cx" 260
expect_near "client top (3345 twips)" "$cy" 223
expect_true "minimise box" has_style "$style" 0x20000
expect_true "no maximise box" bash -c "(( ($style & 0x10000) == 0 ))"
expect_true "fixed border" bash -c "(( ($style & 0x40000) == 0 ))"
expect_eq "menu bar" "$(info_value "$info" menu)" 1
# The list at 50, 50 twips; outer size less 180 wide and 600 high. A list
# box without LBS_NOINTEGRALHEIGHT shows whole lines only and may be up to a
# line shorter.
list_line=$(grep ' class=ListBox ' <<<"$info")
list_h=$(sed -n 's/.* h=\([0-9]*\) .*/\1/p' <<<"$list_line")
list_style=$(sed -n 's/.* style=\(0x[0-9a-f]*\) .*/\1/p' <<<"$list_line")
if [ -n "$list_h" ] && (( (list_style & 0x100) == 0 && list_h <= wh - 40 && list_h > wh - 40 - 24 )); then
  list_h_expected=$list_h
else
  list_h_expected=$((wh - 40))
fi
expect_control "list" "$info" ListBox "" 3 3 $((ww - 12)) "$list_h_expected"
screenshot main "$wx" "$wy" "$ww" "$wh"

log "file-name dialog"
press_keys "$MAIN_TITLE" ctrl+f
if probe wait-window "$FNAME_TITLE" --visible --timeout 5000 >/dev/null; then
  info=$(probe window-info "$FNAME_TITLE" --visible)
  read -r _ cx cy cw ch <<<"$(grep '^client ' <<<"$info")"
  read -r _ wx wy ww wh <<<"$(grep '^rect ' <<<"$info")"
  style=$(info_value "$info" style)
  exstyle=$(info_value "$info" exstyle)
  expect_near "dialog client width (6015 twips)" "$cw" 401
  expect_near "dialog client height (4335 twips)" "$ch" 289
  # Centred on the 1280 x 1024 screen, 300 twips above the middle.
  expect_near "dialog centred across" "$wx" $(((1280 - ww) / 2))
  expect_near "dialog centred, a little high" "$wy" $(((1024 - wh) / 2 - 20))
  expect_true "dialog: no minimise or maximise box" bash -c "(( ($style & 0x30000) == 0 ))"
  expect_true "dialog: fixed frame" bash -c "(( ($style & 0x40000) == 0 ))"
  expect_true "dialog: close box" has_style "$style" 0x80000
  expect_true "dialog: no task-bar button" bash -c \
    "(( ($exstyle & 0x40000) == 0 )) && { (( ($exstyle & 0x80) != 0 )) || [ '$(info_value "$info" owner)' != 0x0 ]; }"
  # Place of every control in the dialog's client area: frame + offset.
  expect_control "scheme frame" "$info" Button 'ファイル保存名形式' 8 8 385 161
  expect_control "date option" "$info" Button '日付形式(FNAMEmmddhhmmss.BMP)' 24 40 257 17
  expect_control "number option" "$info" Button '通番形式(FNAME9999.BMP)' 24 64 209 17
  expect_control "start-value label" "$info" Static '初期値' 232 64 57 17
  expect_control "start-value box" "$info" Edit '' 296 64 41 21
  expect_control "next-value label" "$info" Static '次回書込値' 200 88 89 17
  expect_control "next-value box" "$info" Edit '' 296 88 41 21
  expect_control "Reset" "$info" Button 'Reset' 344 88 41 17
  expect_control "keep check box" "$info" Button '終了時に現在値を保持する' 160 112 217 17
  expect_control "user-input option" "$info" Button 'ユーザ入力形式(保存時に入力ウインドウ表示)' 24 136 361 17
  expect_control "prefix frame" "$info" Button '日付および通番時のファイル先頭文字列' 8 176 385 57
  expect_control "prefix box" "$info" Edit 'G' 16 200 369 22
  expect_control "return button" "$info" Button '戻る' 296 240 97 41
  screenshot fname "$wx" "$wy" "$ww" "$wh"
  # Inside a frame, where no control lies, the dialog's own background shows,
  # the same as below the frames.
  expect_eq "frame shows the dialog background" \
    "$(screen_pixel fname $((cx + 90)) $((cy + 120)))" "$(screen_pixel fname $((cx + 100)) $((cy + 262)))"
  probe close "$FNAME_TITLE" >/dev/null
  probe wait-gone "$FNAME_TITLE" --visible >/dev/null
else
  fail "Ctrl+F did not open the file-name dialog"
fi
stop_pixkeeper

log "centred at start, and minimised: restored, the list is placed as usual"
reg_set StartPos 1
reg_set StartMode 1
start_pixkeeper || exit 1
expect_true "restored" probe restore "$MAIN_TITLE" --no-dialog
info=$(probe window-info "$MAIN_TITLE" --no-dialog)
read -r _ wx wy ww wh <<<"$(grep '^rect ' <<<"$info")"
expect_near "main window centred across" "$wx" $(((1280 - ww) / 2))
expect_near "main window centred, a little high" "$wy" $(((1024 - wh) / 2 - 20))
expect_control "list after a minimised start" "$info" ListBox "" 3 3 $((ww - 12)) "$list_h_expected"
stop_pixkeeper
log "screenshots in $SHOTS"
