#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of the sound levels and the settings file, on the real window under a
# virtual X server, with the effects recorded on the silent device (null:PATH.wav).
#  1. With effects_volume=50 in the settings a press is heard at half its level; Ctrl+= and M
#     are kept in the file, and my.dat stays the five-line record.
#  2. The next start comes up at x2 and muted: its presses are silent.
#  3. A malformed file with values out of range gives the defaults and clamped values.
#  4. A settings file that cannot be written is said once on stderr and the game plays on; a
#     FIFO in its place is never waited on.
#
# usage: settings_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
cp "$bin_dir/1.wav" "$bin_dir/2.wav" "$work/" || fail "the waves are not in $bin_dir"
printf 'levels\r\n1\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
settings="$work/config/brandel2/brandel2.conf"
mkdir -p "$(dirname "$settings")"
start_xvfb

size_of() { xwininfo -id "$1" | awk '/^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print w "x" h}'; }

start() {
  start_game WAVEMIX_OUTPUT="null:$work/$1.wav"
  window=$(find_window "^${caption}\$" 200) || fail "no window: $(cat "$work/game.log")"
}

# The start button (0,204 413 x 57 of the layout, at factor $1) starts the narration with
# the button sound.
press_start() {
  xdotool mousemove --window "$window" $((206 * $1)) $((232 * $1)) click 1
  sleep 1
}

quit() {
  xdotool mousemove --window "$window" $((358 * $1)) $((44 * $1)) click 1
  press_key "$(find_window '^確認$' 100)" y || fail "the quit button asked nothing"
  wait_game_end
  [ "$game_status" -eq 0 ] || fail "the program ended with $game_status: $(cat "$work/game.log")"
}

# The loudest sample of a recording, as its distance from silence (128).
peak_of() {
  python3 - "$work/$1.wav" <<'PY'
import sys, wave
with wave.open(sys.argv[1], 'rb') as w:
    data = w.readframes(w.getnframes())
print(max((abs(b - 128) for b in data), default=0))
PY
}

# 1. Half the effects' level, then x2 and mute, kept.
printf '[sound]\neffects_volume=50\n' >"$settings"
start half
press_start 1
press_key "$window" ctrl+equal
wait_for 50 bash -c "[ \"\$(xwininfo -id $window | awk '/^  Width:/ {print \$2}')\" = 828 ]" || fail "Ctrl+= did not zoom"
press_key "$window" m
quit 2
half=$(peak_of half)
grep -qx 'zoom=2' "$settings" && grep -qx 'mute=true' "$settings" && grep -qx 'effects_volume=50' "$settings" ||
  fail "the settings file holds: $(cat "$settings")"
[ "$(od -An -c "$work/my.dat")" = "$(printf 'levels\r\n2\r\n0\r\n0\r\n0\r\n' | od -An -c)" ] ||
  fail "my.dat holds: $(od -An -c "$work/my.dat")"
echo "effects at 50 %: a press peaks at $half; x2 and mute kept"

# 2. The next start: x2 at once, and muted.
start muted
[ "$(size_of "$window")" = 828x524 ] || fail "the second start is $(size_of "$window")"
press_start 2
quit 2
[ "$(peak_of muted)" -eq 0 ] || fail "muted, a press peaks at $(peak_of muted)"
echo "second start: x2, muted (the press silent)"

# 3. Garbage and values out of range.
printf '\x00\x01garbage\n[window]\nzoom=99\nfullscreen=maybe\n[sound]\neffects_volume=250\nmute=x\n' >"$settings"
start clamped
[ "$(size_of "$window")" = 828x524 ] || fail "zoom=99 gave $(size_of "$window"), not the largest x2"
press_start 2
quit 2
full=$(peak_of clamped)
# Half the level, give or take the rounding of each sample.
[ $((2 * half - full)) -ge -2 ] && [ $((2 * half - full)) -le 2 ] ||
  fail "a press peaks at $half at 50 % and at $full with effects_volume=250 (100 %)"
echo "malformed file: zoom clamped to the largest, the volume to 100 % (a press peaks at $full)"

# 4. No folder can be made where the settings go: one line on stderr, the game goes on. (The
# record starts over: the fifth start would greet the player with a box first.)
printf 'levels\r\n1\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
rm -rf "$work/config"
: >"$work/config"
start unwritable
press_key "$window" m
press_key "$window" m
press_key "$window" ctrl+equal
quit 2
[ "$(grep -c 'settings' "$work/game.log")" -eq 1 ] || fail "stderr holds: $(cat "$work/game.log")"
grep -qx "brandel2: cannot save the settings in $work/config/brandel2/brandel2.conf; the game plays on." "$work/game.log" ||
  fail "stderr holds: $(cat "$work/game.log")"
rm -f "$work/config"
mkdir -p "$(dirname "$settings")"
mkfifo "$settings"
start fifo
press_key "$window" m
quit 1
echo "PASS: levels on the recording, settings kept across starts, bad and unwritable files harmless"
