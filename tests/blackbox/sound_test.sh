#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box tests of the built program's sound under a virtual X server.
#  1. No wave-output device (SDL offers none): the box "ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ" names the mixer's error,
#     no game window opens, and after OK the program ends with 1 without counting the start.
#  2. The silent device recording to a WAV file: presses of the start button (their boxes
#     answered with Return) are heard in the recording; quitting with Y ends with 0.
#
# usage: sound_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'
error_caption='ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ'

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
cp "$bin_dir/1.wav" "$bin_dir/2.wav" "$work/" || fail "the waves are not in $bin_dir"
printf 'sound\r\n1\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
cp "$work/my.dat" "$work/record.before"
start_xvfb

# 1. No device: SDL is given an audio driver that does not exist, so it lists no output.
start_game -u WAVEMIX_OUTPUT SDL_AUDIODRIVER=no-such-driver
box=$(find_window "^${error_caption}\$" 200) || fail "no box captioned $error_caption: $(cat "$work/game.log")"
xdotool search --name "^${caption}\$" >/dev/null 2>&1 && fail "the game window opened without a device"
# The box's text is not readable from outside; its caption and the exit code are.
press_key "$box" Return
wait_game_end
[ "$game_status" -eq 1 ] || fail "without a device the program ended with $game_status"
cmp -s "$work/my.dat" "$work/record.before" || fail "my.dat changed without a game"
echo "no device: '$error_caption' box, exit code 1"

# 2. The silent device, recording.
start_game WAVEMIX_OUTPUT="null:$work/heard.wav"
window=$(find_window "^${caption}\$" 200) || fail "no window captioned $caption: $(cat "$work/game.log")"

# start_b lies at 0,204 with 413 x 57. The first press starts the narration; the next two show
# one message box each (captioned with the application title), answered with Return.
click_start() { xdotool mousemove --window "$window" 206 232 click 1; }
click_start
sleep 0.5
for press in 2 3; do
  click_start
  message=$(find_window '^ブランデル２$' 100) || fail "press $press showed no message box"
  press_key "$message" Return
  wait_for 100 bash -c "! xdotool search --onlyvisible --name '^ブランデル２\$'" ||
    fail "the box of press $press stayed"
done
sleep 0.5

# やーめった (BitBtn4) at 304,32 with 109 x 25, then Y.
xdotool mousemove --window "$window" 358 44 click 1
press_key "$(find_window '^確認$' 100)" y || fail "the quit button asked nothing"
wait_game_end
[ "$game_status" -eq 0 ] || fail "the program ended with $game_status: $(cat "$work/game.log")"

# The recording: a valid 8-bit WAV whose data holds the click sound, not only silence (128).
python3 - "$work/heard.wav" <<'PY' || fail "the recording does not hold the button sound"
import sys, wave
with wave.open(sys.argv[1], 'rb') as w:
    assert w.getsampwidth() == 1, w.getsampwidth()
    data = w.readframes(w.getnframes())
loud = sum(1 for b in data if abs(b - 128) > 2)
print(f"recording: {len(data)} bytes, {loud} of them away from silence")
sys.exit(0 if loud > 100 else 1)
PY
echo "PASS: no device ends with the application error; presses are heard on the silent device"
