#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Black-box test of zoom and fullscreen on the real window under a virtual X server of
# 1280 x 1024, checked on screenshots: at each factor the window is that many times 414 x 262,
# the scene's pixels are squares of twice the factor (nearest neighbour), and the gaps of the
# layout lie exactly where the factor puts them.
#  1. Ctrl+= and Ctrl++ zoom in up to x3 (the largest that fits), moving the window just enough
#     to stay on the screen; Ctrl+- zooms out; Ctrl+0 is x1 again.
#  2. Under a window manager, F11 shows the game at x3 centred on black, a box opens centred
#     over it, Escape leaves; --fullscreen starts so, --zoom 2 starts at x2, and neither
#     changes the settings file.
#
# usage: display_test.sh PROGRAM BIN_DIR
set -euo pipefail

program=$1
bin_dir=$2
caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ'
here=$(dirname "$0")

source "$here/xvfb_lib.sh"
prepare_copy "$program" "$bin_dir"
printf 'zoom\r\n1\r\n0\r\n0\r\n0\r\n' >"$work/my.dat"
start_xvfb 1280x1024x24

# "X Y W H" of the window's inside on the screen.
placement() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^  Width:/ {w=$2} /^  Height:/ {h=$2} END {print x, y, w, h}'
}

expect_placement() {
  wait_for 50 bash -c "[ \"\$(xwininfo -id $1 | awk '/^  Width:/ {w=\$2} /^  Height:/ {h=\$2} END {print w \"x\" h}')\" = $3 ]" ||
    fail "$2: the window is $(placement "$1"), not $3"
  [ -z "${4:-}" ] || [ "$(placement "$1")" = "$4" ] || fail "$2: the window lies at $(placement "$1"), not $4"
}

# Checks a screenshot of the game drawn at FACTOR with its top-left corner at X Y; with
# "margins", everything around the game is black.
check_shot() {
  local shot=$1 factor=$2 x=$3 y=$4 margins=${5:-}
  python3 - "$here" "$shot" "$factor" "$x" "$y" "$margins" <<'PY'
import sys
sys.path.insert(0, sys.argv[1])
from screenshot import read_xwd, squares_of, uniform
rows = read_xwd(sys.argv[2])
f, ox, oy, margins = int(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5]), sys.argv[6]
# The scene: 150 x 100 pixels on 300 x 200, so squares of 2 x factor.
bad = squares_of(rows, ox, oy, 300 * f, 200 * f, 2 * f)
assert bad is None, f"the scene is not zoomed by whole pixels at {bad}"
# The gaps beside and below the scene, in the window's own colour.
right = uniform(rows, ox + 300 * f, oy, 4 * f, 200 * f)
below = uniform(rows, ox, oy + 200 * f, 300 * f, 4 * f)
assert right is not None and right == below, f"gaps {right} {below}"
assert rows[oy][ox + 300 * f - 1] != right and rows[oy + 200 * f - 1][ox] != right, "scene edge"
if margins:
    height, width = len(rows), len(rows[0])
    black = (0, 0, 0)
    assert uniform(rows, 0, 0, width, oy) == black, "above"
    assert uniform(rows, 0, oy + 262 * f, width, height - oy - 262 * f) == black, "below"
    assert uniform(rows, 0, 0, ox, height) == black, "left"
    assert uniform(rows, ox + 414 * f, 0, width - ox - 414 * f, height) == black, "right"
print(f"x{f} at {ox},{oy}: scene in squares of {2 * f}, gaps in place{', black around' if margins else ''}")
PY
}

# Takes screenshots of SOURCE (a window id, or -root) until one passes check_shot: the first
# after a change of size may still show the picture as it was before.
shoot() {
  local source=$1
  shift
  for ((try = 0; try < 20; try++)); do
    if [ "$source" = -root ]; then xwd -silent -root >"$work/shot.xwd"; else xwd -silent -id "$source" >"$work/shot.xwd"; fi
    if check_shot "$work/shot.xwd" "$@" 2>"$work/shot.err"; then return 0; fi
    sleep 0.2
  done
  fail "screenshot at x$1: $(tail -n 1 "$work/shot.err")"
}

start_game WAVEMIX_OUTPUT=null
window=$(find_window "^${caption}\$" 200) || fail "no window: $(cat "$work/game.log")"

# 1. Windowed zoom, without a window manager: the inside is what is measured.
expect_placement "$window" "at start" 414x262 "253 124 414 262"
shoot "$window" 1 0 0
press_key "$window" ctrl+equal
expect_placement "$window" "Ctrl+=" 828x524 "253 124 828 524"
shoot "$window" 2 0 0
press_key "$window" ctrl+plus
expect_placement "$window" "Ctrl++" 1242x786 "38 124 1242 786"
shoot "$window" 3 0 0
press_key "$window" ctrl+plus
sleep 0.3
expect_placement "$window" "Ctrl++ at the largest" 1242x786
press_key "$window" ctrl+minus
expect_placement "$window" "Ctrl+-" 828x524
press_key "$window" ctrl+0
expect_placement "$window" "Ctrl+0" 414x262
grep -qx 'zoom=1' "$work/config/brandel2/brandel2.conf" || fail "the zoom was not kept: $(cat "$work/config/brandel2/brandel2.conf")"
echo "zoom: x1, x2, x3 (moved onto the screen), held at x3, back to x2 and x1"

# 2. Fullscreen needs a window manager that makes windows so.
openbox >"$work/openbox.log" 2>&1 &
wm_pid=$!
trap 'kill $wm_pid 2>/dev/null || true; cleanup' EXIT
wait_for 100 bash -c "xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'" || fail "openbox did not start"
# Keys reach the window only once the window manager has taken it over (framed it).
wait_for 100 bash -c "xprop -id $window _NET_FRAME_EXTENTS | grep -q =" || fail "openbox did not frame the window"
press_key "$window" F11
expect_placement "$window" "F11" 1280x1024 "0 0 1280 1024"
shoot -root 3 19 119 margins
# やーめった at 304,32 (109 x 25) of the layout; its box is centred on the screen.
xdotool mousemove $((19 + 3 * 358)) $((119 + 3 * 44)) click 1
box=$(find_window '^確認$' 100) || fail "the quit button asked nothing in fullscreen"
read -r bx by bw bh <<<"$(placement "$box")"
# Within a title bar's height of the middle: the window manager frames the box.
dx=$((bx + bw / 2 - 640)) dy=$((by + bh / 2 - 512))
[ "${dx#-}" -le 50 ] && [ "${dy#-}" -le 50 ] || fail "the box lies at $bx,$by ${bw}x$bh, not centred"
press_key "$box" n
wait_for 50 bash -c "! xdotool search --onlyvisible --name '^確認\$'" || fail "the box stayed"
press_key "$window" Escape
expect_placement "$window" "Escape" 414x262
echo "fullscreen: x3 centred on black, a box centred over it, Escape gives the window back"
press_key "$window" alt+F4
wait_game_end
[ "$game_status" -eq 0 ] || fail "the program ended with $game_status: $(cat "$work/game.log")"
cp "$work/config/brandel2/brandel2.conf" "$work/settings.before"

game_args=(--fullscreen)
start_game WAVEMIX_OUTPUT=null
window=$(find_window "^${caption}\$" 200) || fail "no window with --fullscreen: $(cat "$work/game.log")"
expect_placement "$window" "--fullscreen" 1280x1024 "0 0 1280 1024"
press_key "$window" alt+F4
wait_game_end
game_args=(--zoom 2)
start_game WAVEMIX_OUTPUT=null
window=$(find_window "^${caption}\$" 200) || fail "no window with --zoom 2: $(cat "$work/game.log")"
expect_placement "$window" "--zoom 2" 828x524
press_key "$window" alt+F4
wait_game_end
cmp -s "$work/config/brandel2/brandel2.conf" "$work/settings.before" ||
  fail "the options changed the settings: $(cat "$work/config/brandel2/brandel2.conf")"
echo "PASS: whole-factor zoom and fullscreen on the screen; --fullscreen and --zoom leave the settings"
