#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of the built program's command line, without any display: --help and
# --version answer and end with 0, a mistake ends with 2 and the hint, Qt's own -platform
# works, and a display platform that cannot be used ends with one line of our own and 1.
#
# usage: command_line_test.sh PROGRAM BIN_DIR VERSION
set -euo pipefail

program=$1
bin_dir=$2
version=$3

source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
printf 'cli\r\n1\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
run() { (cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@") \
  >"$work/out" 2>"$work/err"; }

set +e
run ./brandel2 --help; status=$?
set -e
[ "$status" -eq 0 ] || fail "--help ended with $status"
grep -q '^Usage: brandel2 \[OPTION\]' "$work/out" || fail "--help printed: $(head -3 "$work/out")"
for named in --version -platform WAVEMIX_OUTPUT BRANDEL_SOUNDFONT SIGTERM; do
  grep -q -- "$named" "$work/out" || fail "--help does not name $named"
done

run ./brandel2 --version || fail "--version failed"
[ "$(cat "$work/out")" = "brandel2 $version" ] || fail "--version printed '$(cat "$work/out")'"

set +e
run ./brandel2 --no-such-option; status=$?
set -e
[ "$status" -eq 2 ] || fail "an unknown option ended with $status"
[ "$(cat "$work/err")" = "brandel2: unknown option '--no-such-option'
Try 'brandel2 --help'." ] || fail "an unknown option said: $(cat "$work/err")"
[ ! -s "$work/out" ] || fail "an unknown option printed to standard output"

# No platform that can be used: one line, status 1, no core dump.
set +e
run XDG_RUNTIME_DIR="$work" timeout 20 ./brandel2 -platform no-such-platform; status=$?
set -e
[ "$status" -eq 1 ] || fail "an unusable platform ended with $status: $(cat "$work/err")"
[ "$(wc -l <"$work/err")" -eq 1 ] && grep -q '^brandel2: no display could be used' "$work/err" ||
  fail "an unusable platform said: $(cat "$work/err")"

# Qt's own option chooses the platform: the game runs without DISPLAY and ends on SIGTERM.
game_program=./brandel2
(cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM WAVEMIX_OUTPUT=null \
  XDG_DATA_HOME="$work/data" ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
  ./brandel2 -platform offscreen) >"$work/game.log" 2>&1 &
game_pid=$!
# Sent once the handler stands (SIGTERM, 15, among the caught signals): it then waits, if need
# be, for the window.
catches_term() { (( 0x$(awk '/^SigCgt/ {print $2}' /proc/$game_pid/status) & 0x4000 )); }
wait_for 100 catches_term || fail "the game does not catch SIGTERM"
kill -s TERM "$game_pid"
wait_game_end 20
[ "$game_status" -eq 0 ] || fail "-platform offscreen: SIGTERM ended with $game_status: $(cat "$work/game.log")"
[ "$(sed -n 2p "$work/my.dat" | tr -d '\r')" = 2 ] || fail "-platform offscreen: the start was not counted"
echo "PASS: --help, --version, mistakes, an unusable platform and Qt's -platform"
