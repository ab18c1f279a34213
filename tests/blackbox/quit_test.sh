#!/usr/bin/env bash
# Black-box test of the built program under a virtual X server: the window comes up with its
# caption and size, the quit button asks, Y answers, the program ends with 0 and my.dat holds
# the counted start. Runs on a copy in a temporary folder, so the player's my.dat is untouched.
#
# usage: quit_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'

work=$(mktemp -d)
xvfb_pid=
game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1
  shift
  for ((i = 0; i < tenths; i++)); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  return 1
}

# A black 150 x 100 24-bit Windows bitmap (rows padded to 452 bytes).
write_black_bitmap() {
  {
    printf 'BM\xc6\xb0\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00'
    printf '\x28\x00\x00\x00\x96\x00\x00\x00\x64\x00\x00\x00\x01\x00\x18\x00'
    printf '\x00\x00\x00\x00\x90\xb0\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00'
    printf '\x00\x00\x00\x00\x00\x00\x00\x00'
    head -c 45200 /dev/zero
  } >"$1"
}

cp "$program" "$work/brandel2"
mkdir -p "$work/cg"
if [ -f "$bin_dir/cg/title.bmp" ]; then
  cp "$bin_dir"/cg/*.bmp "$work/cg/"
else
  echo "note: $bin_dir/cg has no pictures yet; using a black title picture of our own"
  write_black_bitmap "$work/cg/title.bmp"
fi
printf 'blackbox\r\n2\r\n30\r\n7\r\n-9\r\n' >"$work/my.dat"

# Without any display the program says so and ends at once instead of hanging.
set +e
no_display=$(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 ./brandel2 2>&1)
status=$?
set -e
[ "$status" -ne 0 ] && [ "$status" -ne 124 ] || fail "without a display the program ended with $status"
[ -n "$no_display" ] || fail "without a display the program said nothing"

# Xvfb picks a free display number itself and reports it, so parallel tests never share one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 100 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=:$(head -n 1 "$work/display")
wait_for 100 xdpyinfo || fail "Xvfb on $DISPLAY does not answer"

# In the sanitizer build, leaks inside the X libraries would turn the exit code; the game's own
# code is leak-checked by its unit tests.
(cd "$work" && exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
  ./brandel2) >"$work/game.log" 2>&1 &
game_pid=$!

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
confirm=$(xdotool search --name '^確認$' | head -n 1)
xdotool windowfocus --sync "$confirm"
xdotool key y

wait_for 100 bash -c "! kill -0 $game_pid" || fail "the program did not end after Y"
set +e
wait "$game_pid"
status=$?
set -e
game_pid=
[ "$status" -eq 0 ] || fail "the program ended with $status: $(cat "$work/game.log")"

expected=$(printf 'blackbox\r\n3\r\n30\r\n7\r\n-9\r\n' | od -An -c)
actual=$(od -An -c "$work/my.dat")
[ "$actual" = "$expected" ] || fail "my.dat holds:$actual"
echo "PASS: quit with Y ended the program with 0 and wrote my.dat"
