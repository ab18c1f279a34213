# SPDX-License-Identifier: MIT
# Shared by the install and package tests, after xvfb_lib.sh:
#   expected_files BIN_DIR [PROGRAM_FOLDER [MAN_SUFFIX]]
#                               the files an installed game consists of, relative to its prefix:
#                               the program in PROGRAM_FOLDER (bin), the manual page's name
#                               ending in MAN_SUFFIX (compressed in the package)
#   check_files ROOT BIN_DIR [PROGRAM_FOLDER MAN_SUFFIX [FILE...]]
#                               ROOT holds exactly those files and the FILEs
#   find_packages BUILD_DIR VERSION BIN_DIR
#                               sets deb[NAME] to each package `make package` built; skips the
#                               test (77) when they are missing or older than the build
#   play_installed PROGRAM      runs an installed program under Xvfb with a data folder of its
#                               own: it finds its pictures and sounds, and its first start
#                               creates the record in that folder

expected_files() {
  local bin_dir=$1 program_folder=${2:-bin} man_suffix=${3:-} name size
  echo "$program_folder/brandel2"
  for name in "$bin_dir"/cg/*.bmp; do echo "share/brandel2/cg/${name##*/}"; done
  printf 'share/brandel2/%s\n' dat/1.mid 1.wav 2.wav my.dat
  echo share/applications/org.example.brandel2.desktop
  for size in 16 32 48 64 128 256; do echo "share/icons/hicolor/${size}x${size}/apps/brandel2.png"; done
  echo share/metainfo/org.example.brandel2.metainfo.xml
  echo "share/man/man6/brandel2.6$man_suffix"
}

check_files() {
  local root=$1 bin_dir=$2 program_folder=${3:-bin} man_suffix=${4:-} size width height
  shift $(($# < 4 ? $# : 4))
  [ -f "$bin_dir/cg/title.bmp" ] || fail "$bin_dir/cg holds no pictures"
  diff <({
    expected_files "$bin_dir" "$program_folder" "$man_suffix"
    [ $# -eq 0 ] || printf '%s\n' "$@"
  } | sort) <(cd "$root" && find . -type f -printf '%P\n' | sort) ||
    fail "the installed files differ from the expected ones (< expected, > installed)"
  for size in 16 32 48 64 128 256; do
    # A PNG's width and height stand big-endian at bytes 16 and 20.
    read -r width height < <(od -An -tu4 --endian=big -j16 -N8 \
      "$root/share/icons/hicolor/${size}x${size}/apps/brandel2.png")
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "the ${size}px icon is ${width}x${height}"
  done
}

declare -A deb
find_packages() {
  local build=$1 version=$2 bin_dir=$3 name
  for name in brandel2 libwavemix1 libwavemix-dev wavemix-tools; do
    deb[$name]=$build/${name}_${version}_$(dpkg --print-architecture).deb
    if [ ! -f "${deb[$name]}" ] || [ "${deb[$name]}" -ot "$bin_dir/brandel2" ]; then
      echo "SKIP: ${deb[$name]} is missing or older than the build: make package builds it"
      exit 77
    fi
  done
}

play_installed() {
  local caption='ブランデル２ ver1.0  byｸｲﾙﾌｪﾝ' window box
  game_program=$1
  start_xvfb
  start_game WAVEMIX_OUTPUT="null:$work/heard.wav"
  window=$(find_window "^${caption}\$" 200) || fail "no game window: $(cat "$work/game.log")"
  # A title picture that cannot be found opens an error box within the first ticks.
  sleep 1
  if box=$(find_window '^ブランデル２$' 1); then
    fail "a box came up at the title: $(cat "$work/game.log")"
  fi
  # The start button plays the button sound; the quit button asks, Y answers.
  xdotool mousemove --window "$window" 206 232 click 1
  sleep 0.5
  xdotool mousemove --window "$window" 358 44 click 1
  press_key "$(find_window '^確認$' 100)" y || fail "the quit button asked nothing"
  wait_game_end
  [ "$game_status" -eq 0 ] || fail "the program ended with $game_status: $(cat "$work/game.log")"

  # Past the 44-byte header, the recording holds more than silence (128): the sound was found.
  loud=$(tail -c +45 "$work/heard.wav" | LC_ALL=C tr -d '\200' | wc -c)
  [ "$loud" -gt 100 ] || fail "the button sound was not heard ($loud bytes away from silence)"

  local record="$work/data/brandel2/my.dat"
  [ -f "$record" ] || fail "no record in the data folder: $(ls -lR "$work/data" 2>&1)"
  [ "$(od -An -c "$record")" = "$(printf '\r\n1\r\n0\r\n0\r\n0\r\n' | od -An -c)" ] ||
    fail "the record holds:$(od -An -c "$record")"
  [ "$(stat -c %a "$work/data/brandel2")" = 700 ] || fail "the record's folder is not private"
  [ ! -e "$(dirname "$game_program")/my.dat" ] || fail "a record was written beside the program"
  echo "the installed game found its files and counted its first start in $record"
}
