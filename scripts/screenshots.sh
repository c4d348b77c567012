#!/bin/sh
# Makes the README's screenshots: Marel under Xvfb on the sample disc, driven
# with xdotool, captured with ImageMagick. Needs a build (make build).
set -e
top=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD:-$top/build}

if [ "$1" != inside ]; then
  for tool in xvfb-run xdotool import; do
    command -v $tool >/dev/null || { echo "needs xvfb, xdotool and imagemagick"; exit 1; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$build/marel" "$work/"
  WORK="$work" WINDIR="$work/win" MAREL_CD_DEVICE="$build/sample/sample.cue" \
    xvfb-run -a -s "-screen 0 640x480x24" sh "$0" inside
  echo "screenshots in $top/docs"
  exit 0
fi

# The window stands at its first-start place: client area from (14, 29).
at() { xdotool mousemove $((14 + $1)) $((29 + $2)) click 1; sleep 0.4; }
type_text() { xdotool type --delay 30 "$1"; }
shot() { sleep 0.8; import -window root -crop "$1" +repage "$top/docs/$2"; }

"$WORK/marel" & marel=$!
sleep 2
at 19 15                                   # read the disc
at 150 46; type_text 'Sample Disc'
at 150 70; type_text 'Marel Ensemble'
at 150 120
for title in Opening 'Slow Movement' Scherzo Finale; do
  type_text "$title"; xdotool key Return
done
xdotool key BackSpace BackSpace
at 150 300; type_text 'Recorded 2026-12-11, studio A'
at 75 15                                   # save
shot 332x327+14+29 main.png
at 50 15                                   # open: the registered discs
shot 460x360+0+20 select.png
xdotool key Escape
sleep 0.4
kill $marel
