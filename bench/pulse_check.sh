#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The game's sound as a desktop plays it, on PulseAudio and on PipeWire (with pipewire-pulse and
# WirePlumber, as Debian 12's GNOME desktop runs it): a private server with a null sink "check",
# its monitor recorded, and for each server:
#   - pops: runs of 1 ms or more at full scale, in everything recorded;
#   - the finale's music through the game's music player (build/bin/play-finale), once as it is
#     and three times with two busy loops running: gaps of 5 ms or more of digital silence inside
#     it, and how much of its start is missing against the game's own null: recording;
#   - presses through the game's window (build/bin/play-presses): the delay from each press after
#     quiet to its button and attack sounds;
#   - the game's and the server's share of a core with the game idle on its title screen (beside
#     the server alone), while pressing and while the music plays.
# The game chooses its SDL driver itself, as it does on a desktop (PipeWire's own protocol on
# PipeWire), and the check names it. A check, not a test: it depends on scheduling.
#
# usage: bench/pulse_check.sh [BUILD_DIR [SERVER...]]   (default: build pulseaudio pipewire)
# With PULSE_CHECK_KEEP=FOLDER the recordings are kept there.
# Installs what a server needs when it is missing: pulseaudio and pulseaudio-utils, or pipewire,
# pipewire-pulse, wireplumber, dbus and pulseaudio-utils (parec records the monitor). Only this
# script needs them: a sound server on a test machine would change what SDL finds there.
set -euo pipefail

build=${1:-build}
shift || true
servers=("$@")
[ ${#servers[@]} -gt 0 ] || servers=(pulseaudio pipewire)
here=$(cd "$(dirname "$0")" && pwd)
for tool in play-finale play-presses; do
  [ -x "$build/bin/$tool" ] || { echo "pulse_check: $build/bin/$tool not found; run make build first" >&2; exit 1; }
done
build=$(cd "$build" && pwd)

install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "pulse_check: installing ${missing[*]}"
  "${sudo[@]}" apt-get update -q >/dev/null
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends \
    "${missing[@]}" >/dev/null
}

if [ -n "${PULSE_CHECK_KEEP:-}" ]; then  # a folder to keep the recordings in
  dir=$PULSE_CHECK_KEEP
  mkdir -p "$dir"
else
  dir=$(mktemp -d)
fi
pids=()     # the server's processes, in the order they were started
helpers=()  # recorder, busy loops
stop_helpers() {
  for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${helpers[@]}"; do wait "$pid" 2>/dev/null || true; done
  helpers=()
}
stop_server() {
  stop_helpers
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}
trap 'stop_server; [ -n "${PULSE_CHECK_KEEP:-}" ] || rm -rf "$dir"' EXIT

wait_for_socket() {
  for _ in $(seq 100); do [ -S "$1" ] && return 0; sleep 0.1; done
  echo "pulse_check: $2 did not start: $(tail -n 5 "$3")" >&2
  exit 1
}

# A server of our own: its own runtime folder, home and sockets; nothing of the user's touched.
start_server() {
  local run="$dir/$1"
  mkdir -p "$run/home" "$run/runtime"
  chmod 700 "$run/runtime"
  export HOME="$run/home" XDG_RUNTIME_DIR="$run/runtime" XDG_CONFIG_HOME="$run/home/.config"
  export PULSE_SERVER="unix:$run/runtime/pulse/native"
  case $1 in
    pulseaudio)
      cat >"$run/server.pa" <<PA
load-module module-null-sink sink_name=check format=s16le rate=44100 channels=2
set-default-sink check
load-module module-native-protocol-unix socket=$run/runtime/pulse/native auth-anonymous=1
PA
      mkdir -p "$run/runtime/pulse"
      pulseaudio -n -F "$run/server.pa" --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        --log-target=file:"$run/server.log" &
      pids+=($!)
      wait_for_socket "$run/runtime/pulse/native" PulseAudio "$run/server.log"
      version="PulseAudio $(pulseaudio --version | awk '{print $2}')"
      ;;
    pipewire)
      # WirePlumber wants a session bus.
      dbus-daemon --session --nofork --address="unix:path=$run/bus" >"$run/dbus.log" 2>&1 &
      pids+=($!)
      wait_for_socket "$run/bus" dbus-daemon "$run/dbus.log"
      export DBUS_SESSION_BUS_ADDRESS="unix:path=$run/bus"
      pipewire >"$run/pipewire.log" 2>&1 &
      pids+=($!)
      wait_for_socket "$run/runtime/pipewire-0" PipeWire "$run/pipewire.log"
      wireplumber >"$run/wireplumber.log" 2>&1 &
      pids+=($!)
      pipewire-pulse >"$run/pipewire-pulse.log" 2>&1 &
      pids+=($!)
      wait_for_socket "$run/runtime/pulse/native" pipewire-pulse "$run/pipewire-pulse.log"
      pactl load-module module-null-sink sink_name=check format=s16le rate=44100 channels=2 >/dev/null
      for _ in $(seq 50); do pactl set-default-sink check 2>/dev/null && break; sleep 0.1; done
      version="PipeWire $(pipewire --version | awk '/Linked/ {print $4}') with pipewire-pulse"
      version+=" and WirePlumber $(wireplumber --version | awk '/Linked/ {print $4}')"
      ;;
    *)
      echo "pulse_check: unknown server $1 (pulseaudio or pipewire)" >&2
      exit 2
      ;;
  esac
  sleep 1  # let the session settle before measuring it
}

# Clock ticks the server's processes have spent.
server_ticks() {
  local sum=0 pid
  for pid in "${pids[@]}"; do
    sum=$((sum + $(awk '{print $14 + $15}' "/proc/$pid/stat")))
  done
  echo "$sum"
}
share() {  # share TICKS SECONDS
  awk -v t="$1" -v s="$2" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.1f", 100 * t / hz / s }'
}
now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { print b - a }'; }

start_recording() {  # returns once the monitor's first samples are in
  python3 "$here/pulse_check.py" record "$1" &
  helpers+=($!)
  for _ in $(seq 200); do [ -s "$1.times" ] && break; sleep 0.05; done
  sleep 0.3
}

game() { env -u SDL_AUDIODRIVER -u QT_QPA_PLATFORM WAVEMIX_OUTPUT=sdl "$@"; }

# The music's start as the game renders it, without a server.
(cd "$dir" && WAVEMIX_OUTPUT="null:$dir/reference.wav" "$build/bin/play-finale" --seconds 1 >/dev/null)

for server in "${servers[@]}"; do
  case $server in
    pulseaudio) install_missing pulseaudio pulseaudio-utils ;;
    pipewire) install_missing pipewire pipewire-pulse wireplumber dbus pulseaudio-utils ;;
  esac
  start_server "$server"
  out="$dir/$server"
  mkdir -p "$out"
  echo "$version"

  # Idle: the server alone, then with the game on its title screen.
  before=$(server_ticks)
  sleep 10
  alone=$(share $(($(server_ticks) - before)) 10)
  game "$build/bin/play-presses" idle 10 >"$out/idle.txt" &
  helpers+=($!)
  sleep 3
  before=$(server_ticks)
  sleep 10
  with_game=$(share $(($(server_ticks) - before)) 10)
  wait "${helpers[-1]}"
  helpers=()
  echo "  idle: $(sed 's/^game/the game/' "$out/idle.txt"); the server $with_game % (alone $alone %)"

  # Presses through the game's window.
  start_recording "$out/presses.raw"
  before=$(server_ticks)
  started=$(now)
  game "$build/bin/play-presses" presses "$out" >"$out/presses.txt"
  pressing=$(share $(($(server_ticks) - before)) "$(elapsed "$started" "$(now)")")
  sleep 0.5
  stop_helpers
  grep -v '^press ' "$out/presses.txt" | sed 's/^/  /'
  echo "  the server while pressing: $pressing %"
  python3 "$here/pulse_check.py" presses "$out" "$out/presses.raw"

  # The finale's music: once as it is, then three times with two busy loops.
  start_recording "$out/music0.raw"
  before=$(server_ticks)
  started=$(now)
  game "$build/bin/play-finale" >"$out/music0.txt"
  seconds=$(elapsed "$started" "$(now)")
  played=$(share $(($(server_ticks) - before)) "$seconds")
  stop_helpers
  echo "  playing the finale: the player $(sed -n 's/.*: \([0-9.]* %\) of a core/\1/p' "$out/music0.txt"), the server $played %"
  for run in 1 2 3; do
    for _ in 1 2; do
      (while :; do :; done) &
      helpers+=($!)
    done
    start_recording "$out/music$run.raw"
    game "$build/bin/play-finale" >/dev/null
    stop_helpers
  done
  echo "  the finale (music0 as it is; music1 to music3 with two busy loops):"
  python3 "$here/pulse_check.py" music "$dir/reference.music.wav" "$out"/music[0-3].raw | sed 's/^/  /'
  python3 "$here/pulse_check.py" pops "$out"/*.raw
  # The music's open on the same server, preloaded beside cold.
  if [ -x "$build/bin/music-open-bench" ]; then
    (cd "$build/bin" && game ./music-open-bench 2>/dev/null | grep '^BM_' | sed 's/^/  /')
  fi
  stop_server
done
