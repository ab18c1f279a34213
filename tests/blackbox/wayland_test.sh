#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of the built program on a headless Wayland compositor (weston), with no X
# server at all, in a GNOME-like Wayland session (where Qt alone would insist on X11): the game
# starts on Wayland saying nothing, with the app id of its menu entry, SIGTERM ends it with 0
# and the start counted, and a compositor that goes away leaves the start counted too. Then the
# window test that checks our own title bar runs on the same compositor. Skipped (77) where
# weston is not installed.
#
# usage: wayland_test.sh PROGRAM BIN_DIR GAME_TESTS
set -euo pipefail

program=$1
bin_dir=$2
game_tests=$3
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'

command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
source "$(dirname "$0")/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
printf 'wayland\r\n1\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
socket=brandel2-test
weston_pid=
stop_weston() { [ -n "$weston_pid" ] && kill "$weston_pid" 2>/dev/null; weston_pid=; }
trap 'stop_weston; cleanup' EXIT

start_weston() {
  weston --backend=headless-backend.so --use-pixman --socket=$socket --idle-time=0 \
    >"$work/weston.log" 2>&1 &
  weston_pid=$!
  wait_for 100 test -S "$XDG_RUNTIME_DIR/$socket" || fail "weston did not start: $(cat "$work/weston.log")"
}

# The client's protocol log shows when the window has its title: the game stands.
start_on_wayland() {
  (cd "$work" && exec env -u DISPLAY -u QT_QPA_PLATFORM WAYLAND_DISPLAY=$socket \
    XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME WAYLAND_DEBUG=client \
    WAVEMIX_OUTPUT=null XDG_DATA_HOME="$work/data" ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
    ./brandel2) >"$work/game.log" 2>&1 &
  game_pid=$!
  wait_for 200 grep -q "xdg_toplevel@[0-9]*\.set_title(\"$caption\")" "$work/game.log" ||
    fail "no window on Wayland: $(grep -v '^\[' "$work/game.log" | head -5)"
}

counted() { [ "$(sed -n 2p "$work/my.dat" | tr -d '\r')" = "$1" ] || fail "$2: my.dat holds $(od -An -c "$work/my.dat")"; }

start_weston
start_on_wayland
kill -s TERM "$game_pid"
wait_game_end 20
[ "$game_status" -eq 0 ] || fail "SIGTERM on Wayland ended with $game_status"
counted 2 "SIGTERM on Wayland"
# The app id names the installed menu entry, and with it the icon.
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("org\.example\.brandel2")' "$work/game.log" ||
  fail "the window's app id is not org.example.brandel2"
# Nothing but the protocol log: no word of the X11 platform that was tried first.
said=$(grep -v '^\[' "$work/game.log" | grep -v '^ *$' || true)
[ -z "$said" ] || fail "the program said on Wayland: $said"
echo "on Wayland without X: started silently, SIGTERM ended it with 0, start counted"

start_on_wayland
stop_weston
wait_game_end 50
counted 3 "lost Wayland connection"
echo "lost Wayland connection: ended with $game_status, start counted"

start_weston
env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=$socket \
  "$game_tests" --gtest_filter='*OnWaylandTheWindowAndItsBoxesCarryOurTitleBarOnly' >"$work/gtest.log" 2>&1 ||
  fail "the window test on Wayland failed: $(tail -20 "$work/gtest.log")"
grep -q '\[  PASSED  \] 1 test' "$work/gtest.log" || fail "the window test on Wayland did not run: $(tail -5 "$work/gtest.log")"
echo "PASS: the game runs on Wayland with its own title bar and ends cleanly"
