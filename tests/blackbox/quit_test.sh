#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of the built program under a virtual X server: the window comes up with its
# caption and size, the quit button asks, Y answers, the program ends with 0 and my.dat holds
# the counted start. Runs on a copy in a temporary folder, so the player's my.dat is untouched.
#
# usage: quit_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
printf 'blackbox\r\n2\r\n30\r\n7\r\n-9\r\n' >"$work/my.dat"

# Without any display the program says so and ends at once instead of hanging.
set +e
no_display=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 ./brandel2 2>&1)
status=$?
set -e
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "without a display the program ended with $status"
[ -n "$no_display" ] || fail "without a display the program said nothing"

start_xvfb
# The silent wave-output device: the game needs one, and the test machine has no sound card.
start_game WAVEMIX_OUTPUT=null

wait_for 200 xdotool search --name "^${caption}\$" || fail "no window captioned $caption"
window=$(xdotool search --name "^${caption}\$" | head -n 1)
[ "$(xdotool getwindowname "$window")" = "$caption" ] || fail "caption is '$(xdotool getwindowname "$window")'"
geometry=$(xwininfo -id "$window")
width=$(awk '/^  Width:/ {print $2}' <<<"$geometry")
height=$(awk '/^  Height:/ {print $2}' <<<"$geometry")
[ "$width" = 414 ] && [ "$height" = 262 ] || fail "client area is ${width}x${height}"
echo "window $window: '$caption', ${width}x${height}"

# やーめった (BitBtn4) lies at 304,32 with 109 x 25.
xdotool mousemove --window "$window" 358 44 click 1
wait_for 100 xdotool search --name '^確認$' || fail "the quit button asked nothing"
press_key "$(xdotool search --name '^確認$' | head -n 1)" y

wait_game_end
[ "$game_status" -eq 0 ] || fail "the program ended with $game_status: $(cat "$work/game.log")"

expected=$(printf 'blackbox\r\n3\r\n30\r\n7\r\n-9\r\n' | od -An -c)
actual=$(od -An -c "$work/my.dat")
[ "$actual" = "$expected" ] || fail "my.dat holds:$actual"
echo "PASS: quit with Y ended the program with 0 and wrote my.dat"
