# SPDX-License-Identifier: MIT
# Shared by the tests of the installed mixer (after `work` and `fail` are set):
#   check_consumer PREFIX LIBDIR EXAMPLE CXX
# builds the example EXAMPLE (examples/play-wave as installed) against the mixer installed
# under PREFIX twice, with find_package and with pkg-config, reaching nothing of this
# repository. Each build plays a wave on the silent device recording to a WAV file, which must
# hold the wave, and reports a missing file with the mixer's message (an EWaveMixError caught
# across the library boundary).

check_consumer() {
  local prefix=$1 libdir=$2 example=$3 cxx=$4 repository flags compiler
  [ -f "$example/main.cpp" ] || fail "the example is not installed"
  # 0.2 s of 8-bit mono at 11025 Hz, the mixer's default output format, so it plays unchanged.
  mkdir -p "$work/config"  # no WAVEMIX.INI: the default format
  python3 - "$work/tone.wav" <<'PY'
import sys, wave
with wave.open(sys.argv[1], 'wb') as w:
    w.setnchannels(1); w.setsampwidth(1); w.setframerate(11025)
    w.writeframes(bytes(40 + (i * 7) % 176 for i in range(2205)))
PY

  # play BINARY NAME: plays the tone and checks the recording and the end notice.
  play() {
    local heard=$work/heard-$2.wav output
    output=$(XDG_CONFIG_HOME=$work/config WAVEMIX_OUTPUT=null:$heard LD_LIBRARY_PATH=$prefix/$libdir \
             timeout 30 "$1" "$work/tone.wav") || fail "$2: play-wave ended with $?"
    # The notice names the wave by the first 15 characters of the path it was opened from.
    local tone=$work/tone.wav
    [[ $output == "done: ${tone:0:15} on channel 0" ]] || fail "$2: play-wave said '$output'"
    # A request ends one byte before its wave's end (the mixer's end position), so all but the
    # last byte sound, in order and unchanged.
    python3 - "$work/tone.wav" "$heard" <<'PY' || fail "$2: the recording does not hold the wave"
import sys, wave
def frames(path):
    with wave.open(path, 'rb') as w:
        return w.readframes(w.getnframes())
played, heard = frames(sys.argv[1]), frames(sys.argv[2])
sys.exit(0 if played[:-1] in heard else 1)
PY
    # At half volume every byte is halved around silence (128), rounded.
    XDG_CONFIG_HOME=$work/config WAVEMIX_OUTPUT=null:$heard LD_LIBRARY_PATH=$prefix/$libdir \
      timeout 30 "$1" --volume 50 "$work/tone.wav" >/dev/null || fail "$2: --volume 50 ended with $?"
    python3 - "$work/tone.wav" "$heard" <<'PY' || fail "$2: the recording at half volume is wrong"
import math, sys, wave
def frames(path):
    with wave.open(path, 'rb') as w:
        return w.readframes(w.getnframes())
played, heard = frames(sys.argv[1]), frames(sys.argv[2])
half = bytes(math.floor((b - 128) / 2 + 128.5) for b in played[:-1])
sys.exit(0 if half in heard else 1)
PY
    local status=0 message
    message=$(LD_LIBRARY_PATH=$prefix/$libdir WAVEMIX_OUTPUT=null "$1" "$work/missing.wav" 2>&1) ||
      status=$?
    [ "$status" -eq 1 ] || fail "$2: a missing file ended with $status"
    [[ $message == "play-wave: Failed to open wave file $work/missing.wav" ]] ||
      fail "$2: a missing file said '$message'"
    echo "$2: played and recorded, also at half volume; a missing file reported"
  }

  # find_package(WaveMix 1) from the prefix; the compile lines name no path of this repository.
  cmake -S "$example" -B "$work/with-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
        -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
  cmake --build "$work/with-cmake" >/dev/null
  repository=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  grep -q "$repository" "$work/with-cmake/compile_commands.json" &&
    fail "the find_package build reaches into $repository"
  play "$work/with-cmake/play-wave" find_package

  # pkg-config alone on the plain compiler line: its flags carry the language version the
  # headers need (clang 14 would compile C++14 without them, with warnings).
  flags=$(PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig pkg-config --cflags --libs wavemix)
  [[ " $flags " == *" -std=c++17 "* ]] || fail "pkg-config names no language version: $flags"
  compiler=$(command -v clang++ || echo "$cxx")
  "$compiler" -Wall -Wextra -Werror "$example/main.cpp" $flags -o "$work/play-wave-pc"
  play "$work/play-wave-pc" pkg-config
}
