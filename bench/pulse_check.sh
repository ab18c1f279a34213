#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The finale's music as a desktop plays it: a private PulseAudio server with a null sink, the
# whole finale played through the game's music player (build/bin/play-finale, on SDL's default
# driver, as the game uses it), the sink's monitor recorded. Prints the number of dropouts
# (runs of 5 ms or more of digital silence inside the music), their total length, and the CPU
# share of the player and of the server; then the music's open time on that server
# (build/bin/music-open-bench). A check by ear, not a test: it depends on scheduling.
#
# usage: bench/pulse_check.sh [BUILD_DIR]     (default: build)
# Installs Debian's pulseaudio and pulseaudio-utils when they are missing (only this script
# needs them; a sound server on a test machine would change what SDL finds there).
set -euo pipefail

build=${1:-build}
player="$build/bin/play-finale"
[ -x "$player" ] || { echo "pulse_check: $player not found; run make build first" >&2; exit 1; }

if ! command -v pulseaudio >/dev/null || ! command -v parec >/dev/null; then
  sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "pulse_check: installing pulseaudio and pulseaudio-utils"
  "${sudo[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
    pulseaudio pulseaudio-utils
fi

dir=$(mktemp -d)
server_pid=
recorder_pid=
cleanup() {
  [ -n "$recorder_pid" ] && kill "$recorder_pid" 2>/dev/null || true
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

# A server of our own: its own runtime folder, home and socket; nothing of the user's touched.
mkdir -p "$dir/home" "$dir/runtime"
chmod 700 "$dir/runtime"
export HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/home/.config"
cat >"$dir/server.pa" <<PA
load-module module-null-sink sink_name=check format=s16le rate=44100 channels=2
set-default-sink check
load-module module-native-protocol-unix socket=$dir/native auth-anonymous=1
PA
pulseaudio -n -F "$dir/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  --log-target=file:"$dir/server.log" &
server_pid=$!
for _ in $(seq 100); do [ -S "$dir/native" ] && break; sleep 0.1; done
[ -S "$dir/native" ] || { echo "pulse_check: the server did not start: $(cat "$dir/server.log")" >&2; exit 1; }
export PULSE_SERVER="unix:$dir/native"

parec -d check.monitor --raw --format=s16le --rate=44100 --channels=2 >"$dir/monitor.raw" &
recorder_pid=$!
sleep 0.5

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
server_before=$(ticks "$server_pid")
started=$(date +%s.%N)
env -u SDL_AUDIODRIVER WAVEMIX_OUTPUT=sdl "$player"
ended=$(date +%s.%N)
server_after=$(ticks "$server_pid")
sleep 0.5
kill "$recorder_pid"
wait "$recorder_pid" 2>/dev/null || true
recorder_pid=

python3 - "$dir/monitor.raw" <<'PY'
import array, sys
samples = array.array('h', open(sys.argv[1], 'rb').read())
frames = len(samples) // 2
first = next((f for f in range(frames) if samples[2 * f] or samples[2 * f + 1]), None)
if first is None:
    sys.exit("pulse_check: the monitor recorded only silence (did SDL find the server?)")
last = next(f for f in range(frames - 1, -1, -1) if samples[2 * f] or samples[2 * f + 1])
limit = 44100 * 5 // 1000  # 5 ms
dropouts, silent, run = 0, 0, 0
for f in range(first, last + 1):
    if samples[2 * f] == 0 and samples[2 * f + 1] == 0:
        run += 1
        continue
    if run >= limit:
        dropouts += 1
        silent += run
    run = 0
print(f"music heard: {(last - first) / 44100:.1f} s; dropouts (5 ms or more of digital silence): "
      f"{dropouts}, {silent / 44100 * 1000:.0f} ms in all")
PY
awk -v b="$server_before" -v a="$server_after" -v s="$started" -v e="$ended" -v hz="$(getconf CLK_TCK)" \
  'BEGIN { printf "sound server: %.1f %% of a core over the same time\n", 100 * (a - b) / hz / (e - s) }'

# The music's open on the same server, preloaded beside cold.
if [ -x "$build/bin/music-open-bench" ]; then
  (cd "$build/bin" && env -u SDL_AUDIODRIVER WAVEMIX_OUTPUT=sdl ./music-open-bench 2>/dev/null | grep '^BM_')
fi
