#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of the built program played with keys only, under a virtual X server: the whole
# story from the title to the ending (one fish battle, as the record starts at 50 experience
# points, and the doll battle) with Tab, Shift+Tab, Enter, keypad Enter and Space, every box
# answered with Enter, and the quit box with N, then Y. The record at the end shows the counted
# start and the experience the ending sets back to 0.
#
# usage: keyboard_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'
box_caption='ブランデル２'

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
printf 'keys\r\n1\r\n50\r\n0\r\n0\r\n' >"$work/my.dat"
start_xvfb
start_game WAVEMIX_OUTPUT=null
window=$(find_window "^${caption}\$" 200) || fail "no window: $(cat "$work/game.log")"

step=start
# Keys to the game window, in order; each press is handled before the next.
keys() {
  wait_for 50 xdotool windowfocus --sync "$window" || fail "the window takes no focus ($step)"
  xdotool key --delay 20 "$@"
}
# n boxes under the application title come one after another; each is answered with Enter.
boxes() {
  local n=$1 box answered
  for ((answered = 0; answered < n; answered++)); do
    box=$(find_window "^${box_caption}\$" 100) || fail "$step: box $((answered + 1)) of $n did not come"
    press_key "$box" Return
    wait_for 50 bash -c "! xdotool search --onlyvisible --name '^${box_caption}\$' | grep -qx $box" ||
      fail "$step: box $((answered + 1)) stayed open"
  done
}
# One battle command pressed 25 times with Space: the 15th shows a box.
command_25() {
  keys $(printf 'space %.0s' {1..15})
  boxes 1
  keys $(printf 'space %.0s' {1..10})
}

step="to the start button"; keys shift+Tab   # from 誰が作ったの？ back round to the big button
step="narration";           keys Return
step="skip";                keys KP_Enter; boxes 1
step="scene 2";             keys space; boxes 1
step="scenes 3 to 5";       keys Return; boxes 1; keys Return Return; boxes 3
step="fish battle";         keys Return        # the focus goes to 攻撃
command_25
step="magic";               keys Tab; command_25
step="winning attack";      keys shift+Tab Return; boxes 4   # won, level up: focus on the big button
step="doll stage";          keys Return; boxes 1
step="doll battle";         command_25
step="doll magic";          keys Tab; command_25
step="doll won";            keys shift+Tab space; boxes 1
step="finale";              keys Return; boxes 2; keys Return; boxes 2; keys Return; boxes 1
step="finale end";          keys Return; boxes 1; keys Return Return   # the ending starts

# The big button is gone: the focus rests on 誰が作ったの？, and Tab leads to やーめった.
step="quit, no";            keys Tab space
confirm=$(find_window '^確認$' 100) || fail "$step: no quit box"
press_key "$confirm" n
wait_for 50 bash -c "! xdotool search --onlyvisible --name '^確認\$'" || fail "$step: the box stayed"
kill -0 "$game_pid" 2>/dev/null || fail "N ended the game"
step="quit, yes";           keys space
press_key "$(find_window '^確認$' 100)" y || fail "$step: no quit box"
wait_game_end
[ "$game_status" -eq 0 ] || fail "the program ended with $game_status: $(cat "$work/game.log")"
expected=$(printf 'keys\r\n2\r\n0\r\n0\r\n0\r\n' | od -An -c)
[ "$(od -An -c "$work/my.dat")" = "$expected" ] || fail "my.dat holds:$(od -An -c "$work/my.dat")"
echo "PASS: the whole story played with keys only"
