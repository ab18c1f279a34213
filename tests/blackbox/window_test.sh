#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of the window's identity and place under a virtual X server of 1280 x 1024:
# it carries the game's icon (_NET_WM_ICON) and its WM_CLASS names brandel2; at its laid-out
# place (253, 124) at scale 1, and wholly on the screen at QT_SCALE_FACTOR=3, where that place
# would put most of it off the screen.
#
# usage: window_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
printf 'window\r\n1\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
start_xvfb 1280x1024x24

for scale in 1 3; do
  start_game WAVEMIX_OUTPUT=null QT_SCALE_FACTOR=$scale
  window=$(find_window "^${caption}\$" 200) || fail "no window at scale $scale: $(cat "$work/game.log")"
  info=$(xwininfo -id "$window")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
  w=$(awk '/^  Width:/ {print $2}' <<<"$info")
  h=$(awk '/^  Height:/ {print $2}' <<<"$info")
  [ "$w" -eq $((414 * scale)) ] && [ "$h" -eq $((262 * scale)) ] || fail "scale $scale: ${w}x${h}"
  if [ "$scale" -eq 1 ]; then
    [ "$x,$y" = "253,124" ] || fail "at scale 1 the window stands at $x,$y"
    xprop -id "$window" WM_CLASS | grep -q '= "brandel2"' || fail "WM_CLASS is $(xprop -id "$window" WM_CLASS)"
    icon=$(xprop -id "$window" _NET_WM_ICON)
    grep -q "Icon (16 x 16)" <<<"$icon" ||
      fail "no icon on the window: $(head -c 200 <<<"$icon")"
  else
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1280 ] && [ $((y + h)) -le 1024 ] ||
      fail "at scale 3 the window ($x,$y ${w}x${h}) leaves the 1280x1024 screen"
  fi
  echo "scale $scale: ${w}x${h} at $x,$y"
  kill -s TERM "$game_pid"
  wait_game_end 20
done
echo "PASS: the window carries its icon and class, and lies on the screen at scale 3"
