#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of what the built program prints and leaves behind, under a virtual X server,
# in a session of its own: a private runtime folder, temporary folder and home.
#  1. No sound device and no sound server (WAVEMIX_OUTPUT unset, SDL's own choice of driver,
#     ALSA without a card): the application error box, exit code 1, nothing on stderr.
#  2. The silent device, played to the finale: its music is recorded beside the mixer's file
#     and nothing reaches stderr.
#  3. The same with a damaged soundfont: one line of the program's own names it, nothing else.
# After each run the temporary folder and the configuration folder are as they were, and no
# sound server's client left anything in the runtime folder.
#
# usage: quiet_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
cp "$bin_dir/1.wav" "$bin_dir/2.wav" "$work/" || fail "the waves are not in $bin_dir"
mkdir -p "$work/dat" "$work/tmp" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
cp "$bin_dir/dat/1.mid" "$work/dat/" || fail "the music is not in $bin_dir"
: >"$work/alsa-without-cards.conf"
# Passes FluidSynth's first look at a soundfont, then fails its loaders.
printf 'RIFF\x1c\x00\x00\x00sfbkLIST\x10\x00\x00\x00garbage!garbage!' >"$work/damaged.sf2"
start_xvfb

# The session every run shares; the sound server's variables are left out, as on a desktop
# without one.
session=(TMPDIR="$work/tmp" HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
  ALSA_CONFIG_PATH="$work/alsa-without-cards.conf")

# Runs the copy under env ENV... (-u options first) with stderr kept apart from stdout.
start_run() {
  (cd "$work" && exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u PULSE_SERVER -u SDL_AUDIODRIVER \
    -u XDG_CONFIG_HOME -u BRANDEL_SOUNDFONT "$@" "${session[@]}" \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" ./brandel2) >"$work/game.log" 2>"$work/stderr.log" &
  game_pid=$!
}

expect_nothing_left() {
  [ -z "$(ls -A "$work/tmp")" ] || fail "$1: left in the temporary folder: $(ls -A "$work/tmp")"
  [ -z "$(ls -A "$work/home")" ] || fail "$1: left in the home folder: $(find "$work/home")"
  [ ! -e "$work/runtime/pulse" ] || fail "$1: a sound server's client ran"
}

quit_game() {
  xdotool mousemove --window "$window" 358 44 click 1
  press_key "$(find_window '^確認$' 100)" y || fail "the quit button asked nothing"
  wait_game_end
  [ "$game_status" -eq 0 ] || fail "the program ended with $game_status: $(cat "$work/stderr.log")"
}

# Presses on through the story, answering its boxes, until CONDITION... holds: magic and attack
# (taken only in battle) and the start button (taken only outside), in turn.
play_until() {
  for ((step = 0; step < 1500; step++)); do
    if "$@"; then return 0; fi
    box=$(xdotool search --onlyvisible --name '^ブランデル２$' 2>/dev/null | head -n 1) || true
    if [ -n "$box" ]; then
      xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
    else
      xdotool mousemove --window "$window" 358 166 click --repeat 4 --delay 10 1 \
        mousemove --window "$window" 358 94 click --repeat 4 --delay 10 1 \
        mousemove --window "$window" 206 232 click 1
    fi
  done
  return 1
}

# 1. No device.
start_run -u WAVEMIX_OUTPUT
box=$(find_window '^ｱﾌﾟﾘｹｰｼｮﾝ ｴﾗｰ$' 200) || fail "no application error box: $(cat "$work/stderr.log")"
press_key "$box" Return
wait_game_end
[ "$game_status" -eq 1 ] || fail "without a device the program ended with $game_status"
[ ! -s "$work/stderr.log" ] || fail "without a device stderr holds: $(cat "$work/stderr.log")"
expect_nothing_left "without a device"
echo "no device: the error box, exit code 1, nothing on stderr, nothing left behind"

# 2. The silent device to the finale.
printf 'quiet\r\n1\r\n50\r\n0\r\n0\r\n' >"$work/my.dat"
start_run WAVEMIX_OUTPUT="null:$work/heard.wav"
window=$(find_window "^${caption}\$" 200) || fail "no window: $(cat "$work/stderr.log")"
play_until test -s "$work/heard.music.wav" || fail "the finale's music never started"
sleep 2
quit_game
[ ! -s "$work/stderr.log" ] || fail "stderr holds: $(cat "$work/stderr.log")"
expect_nothing_left "the silent device"
python3 - "$work/heard.music.wav" <<'PY' || fail "the music's recording holds no notes"
import array, math, sys, wave
with wave.open(sys.argv[1], 'rb') as w:
    assert (w.getsampwidth(), w.getnchannels()) == (2, 2), (w.getsampwidth(), w.getnchannels())
    samples = array.array('h', w.readframes(w.getnframes()))
rms = math.sqrt(sum(s * s for s in samples) / max(1, len(samples)))
print(f"music recording: {len(samples) // 2} frames, RMS {rms:.0f}")
sys.exit(0 if rms > 300 else 1)
PY
echo "silent device: the finale's music recorded, nothing on stderr, nothing left behind"

# 3. A damaged soundfont.
printf 'quiet\r\n1\r\n50\r\n0\r\n0\r\n' >"$work/my.dat"
start_run WAVEMIX_OUTPUT=null BRANDEL_SOUNDFONT="$work/damaged.sf2"
window=$(find_window "^${caption}\$" 200) || fail "no window: $(cat "$work/stderr.log")"
play_until grep -q '^music:' "$work/stderr.log" || fail "no line about the soundfont"
quit_game
expected="music: cannot load the soundfont $work/damaged.sf2; install timgm6mb-soundfont, or name a General MIDI .sf2 file in BRANDEL_SOUNDFONT. The game plays on without music."
[ "$(cat "$work/stderr.log")" = "$expected" ] || fail "stderr holds: $(cat "$work/stderr.log")"
expect_nothing_left "a damaged soundfont"
echo "PASS: one line names the damaged soundfont; nothing else reaches stderr or stays behind"
