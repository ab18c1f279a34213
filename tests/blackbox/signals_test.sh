#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of how the built program ends other than by its close box, under a virtual X
# server: SIGINT, SIGTERM and SIGHUP, on SDL's dummy audio driver and on the silent output, end
# it within 2 s with status 0 and the start counted in my.dat, also while a box is open (the
# fifth start's greeting before the window shows, the quit box); a lost X connection still
# leaves the start counted.
#
# usage: signals_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
start_xvfb

count=0
expect_counted() {
  local got
  got=$(sed -n 2p "$work/my.dat" | tr -d '\r')
  [ "$got" = "$count" ] || fail "$1: my.dat counts $got starts, not $count"
}

start_and_wait() {
  count=$((count + 1))
  start_game "$@"
  window=$(find_window "^${caption}\$" 200) || fail "no window: $(cat "$work/game.log")"
}

# Sends the signal; the program must end within 2 s with 0, its start counted.
ends_cleanly() {
  local signal=$1 what=$2
  kill -s "$signal" "$game_pid"
  wait_game_end 20
  [ "$game_status" -eq 0 ] || fail "SIG$signal $what ended with $game_status: $(cat "$work/game.log")"
  expect_counted "SIG$signal $what"
  echo "SIG$signal $what: status 0, start counted"
}

# The fifth start greets the player before the window shows: the signal does not wait for OK.
printf 'signals\r\n4\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
count=5
start_game WAVEMIX_OUTPUT=null
find_window '^ブランデル２$' 200 >/dev/null || fail "no greeting on the fifth start"
ends_cleanly TERM "during the fifth start's greeting"

for output in "WAVEMIX_OUTPUT=sdl SDL_AUDIODRIVER=dummy" "WAVEMIX_OUTPUT=null"; do
  for signal in INT TERM HUP; do
    # A shell starts a background job with SIGINT ignored, which the game then leaves ignored,
    # as it leaves nohup's SIGHUP: the terminal's Ctrl+C reaches a game started in front.
    # shellcheck disable=SC2086  # the output is two assignments
    start_and_wait --default-signal=INT $output
    ends_cleanly "$signal" "with $output"
  done
done

# Started with SIGHUP ignored, as nohup starts it: the closed terminal does not end it.
start_and_wait --ignore-signal=HUP WAVEMIX_OUTPUT=null
kill -s HUP "$game_pid"
sleep 0.5
kill -0 "$game_pid" 2>/dev/null || fail "SIGHUP ended a game started with nohup"
ends_cleanly TERM "after an ignored SIGHUP"

# The quit box open: the signal does not wait for an answer.
start_and_wait WAVEMIX_OUTPUT=null
xdotool mousemove --window "$window" 358 44 click 1
find_window '^確認$' 100 >/dev/null || fail "the quit button asked nothing"
ends_cleanly TERM "with the quit box open"

# The X server goes away: Qt ends the program, after the record was saved.
start_and_wait WAVEMIX_OUTPUT=null
kill "$xvfb_pid"
xvfb_pid=
wait_game_end 50
expect_counted "lost X connection"
echo "lost X connection: ended with $game_status, start counted"
echo "PASS: signals and a lost display end the game with its record saved"
