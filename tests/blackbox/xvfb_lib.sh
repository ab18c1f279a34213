# SPDX-License-Identifier: MIT
# Shared by the black-box tests: a temporary copy of the program with its pictures, a private
# Xvfb, waiting, and clean-up. Source it after `set -euo pipefail`; it defines
#   work        the temporary folder holding the copy (removed on exit)
#   fail MSG    ends the test
#   wait_for TENTHS CMD...      waits for CMD to succeed
#   prepare_copy PROGRAM BIN_DIR    copies the program and its pictures into $work
#   start_xvfb [SCREEN]         starts Xvfb on a free display (SCREEN, default 1024x768x24)
#                               and exports DISPLAY
#   start_game [ENV...]         starts $game_program (default: the copy in $work) in $work
#                               with the arguments game_args under env ENV... (-u options
#                               first), sets game_pid
#   wait_game_end               waits for the program's end, sets game_status

work=$(mktemp -d)
xvfb_pid=
game_pid=
game_status=
game_program=./brandel2
game_args=()
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

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

prepare_copy() {
  local program=$1 bin_dir=$2
  cp "$program" "$work/brandel2"
  mkdir -p "$work/cg"
  if [ -f "$bin_dir/cg/title.bmp" ]; then
    cp "$bin_dir"/cg/*.bmp "$work/cg/"
  else
    echo "note: $bin_dir/cg has no pictures yet; using a black title picture of our own"
    write_black_bitmap "$work/cg/title.bmp"
  fi
}

start_xvfb() {
  # Xvfb picks a free display number itself and reports it, so parallel tests never share one.
  # -noreset: by default the server resets when its last client leaves (xdpyinfo below), and a
  # program connecting during that reset is refused ("could not connect to display").
  Xvfb -displayfd 3 -screen 0 "${1:-1024x768x24}" -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  wait_for 100 test -s "$work/display" || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
  export DISPLAY=:$(head -n 1 "$work/display")
  wait_for 100 xdpyinfo || fail "Xvfb on $DISPLAY does not answer"
}

# In the sanitizer build, leaks inside the X libraries would turn the exit code; the game's own
# code is leak-checked by its unit tests. A data folder of the test's own keeps any record the
# game would keep there out of the user's, and a configuration folder of its own any settings.
start_game() {
  (cd "$work" && export XDG_CONFIG_HOME="$work/config" &&
    exec env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" XDG_DATA_HOME="$work/data" \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$game_program" "${game_args[@]}") >"$work/game.log" 2>&1 &
  game_pid=$!
}

wait_game_end() {
  wait_for "${1:-100}" bash -c "! kill -0 $game_pid" || fail "the program did not end"
  set +e
  wait "$game_pid"
  game_status=$?
  set -e
  game_pid=
}

# Finds the one window whose name matches the regex, within $2 tenths of a second.
# Only mapped windows: a box found before it is mapped cannot take the focus yet.
find_window() {
  wait_for "${2:-100}" xdotool search --onlyvisible --name "$1" || return 1
  xdotool search --onlyvisible --name "$1" | head -n 1
}

# Focuses the window and presses a key in it.
press_key() {
  wait_for 50 xdotool windowfocus --sync "$1" || fail "window $1 takes no focus"
  xdotool key "$2"
}
