#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# The recorder and the measurements of bench/pulse_check.sh.
#   pulse_check.py record OUT.raw           records the sink "check"'s monitor (16-bit stereo,
#                                           44100 Hz) until SIGTERM; OUT.raw.times holds
#                                           "CLOCK_MONOTONIC total-bytes" after every read
#   pulse_check.py pops RAW...              runs of 1 ms or more at full scale
#   pulse_check.py music REF.wav RAW...     gaps of 5 ms or more of digital silence inside the
#                                           music, and how much of its start is missing (against
#                                           the game's own null: recording REF.wav)
#   pulse_check.py presses DIR RAW          delay from each single press (DIR/presses.txt) to
#                                           its button and attack sounds (DIR/button.raw,
#                                           DIR/attack.raw: the mixer's converted waves)
import array
import os
import signal
import statistics
import subprocess
import sys
import time
import wave

RATE = 44100
FULL_SCALE = 32767


def load(path):
    samples = array.array('h')
    with open(path, 'rb') as f:
        data = f.read()
    samples.frombytes(data[:len(data) // 4 * 4])  # whole frames: the recorder may stop inside one
    return samples


def record(out):
    parec = subprocess.Popen(['parec', '-d', 'check.monitor', '--raw', '--format=s16le',
                              f'--rate={RATE}', '--channels=2', '--latency-msec=10'],
                             stdout=subprocess.PIPE)
    signal.signal(signal.SIGTERM, lambda *_: parec.terminate())
    total = 0
    with open(out, 'wb') as data, open(out + '.times', 'w') as times:
        while chunk := os.read(parec.stdout.fileno(), 65536):
            now = time.monotonic()
            data.write(chunk)
            total += len(chunk)
            times.write(f'{now:.6f} {total}\n')
    parec.wait()


def pops(paths):
    count, longest = 0, 0
    for path in paths:
        s = load(path)
        for channel in (0, 1):
            run = 0
            for v in s[channel::2]:
                if v >= FULL_SCALE or v <= -FULL_SCALE:
                    run += 1
                    continue
                if run >= RATE // 1000:
                    count += 1
                    longest = max(longest, run)
                run = 0
    print(f'  pops (1 ms or more at full scale): {count}'
          + (f', the longest {longest * 1000 / RATE:.0f} ms' if count else ''))


def first_loud(left, threshold=64):
    return next((i for i, v in enumerate(left) if abs(v) > threshold), None)


def best_lag(signal_, start, template, lags, step=1):
    """The lag in lags at which template (read every step frames of signal_) fits best, and how
    well (normalised correlation)."""
    norm_t = sum(v * v for v in template) ** 0.5
    best, best_score = None, -2.0
    n = len(template)
    for lag in lags:
        part = signal_[start + lag:start + lag + step * n:step]
        if len(part) < n:
            break
        norm_p = sum(v * v for v in part) ** 0.5
        if norm_p == 0:
            continue
        score = sum(map(int.__mul__, part, template)) / (norm_p * norm_t)
        if score > best_score:
            best, best_score = lag, score
    return best, best_score


def music(reference, paths):
    with wave.open(reference, 'rb') as w:
        assert w.getframerate() == RATE and w.getnchannels() == 2 and w.getsampwidth() == 2
        ref = array.array('h', w.readframes(w.getnframes()))
    ref_left = ref[0::2]
    ref_start = first_loud(ref_left)
    for path in paths:
        s = load(path)
        frames = len(s) // 2
        first = next((f for f in range(frames) if s[2 * f] or s[2 * f + 1]), None)
        if first is None:
            print(f'  {os.path.basename(path)}: only silence (did SDL find the server?)')
            continue
        last = next(f for f in range(frames - 1, -1, -1) if s[2 * f] or s[2 * f + 1])
        limit = RATE * 5 // 1000
        gaps, silent, longest, run = 0, 0, 0, 0
        for f in range(first, last + 1):
            if s[2 * f] == 0 and s[2 * f + 1] == 0:
                run += 1
                continue
            if run >= limit:
                gaps += 1
                silent += run
                longest = max(longest, run)
            run = 0
        # The heard start against the recording's: where in the first 20 ms of the music the
        # monitor's first 10 ms begin.
        left = s[0::2]
        heard_start = first_loud(left)
        template = list(left[heard_start:heard_start + RATE // 100])
        lag, score = best_lag(ref_left, ref_start, template, range(0, RATE // 50))
        missing = f'{lag * 1000 / RATE:.1f} ms' if score > 0.9 else f'not found (fit {score:.2f})'
        print(f'  {os.path.basename(path)}: {(last - first) / RATE:.1f} s heard; gaps of 5 ms or '
              f'more: {gaps}' + (f' ({silent * 1000 / RATE:.0f} ms in all, the longest '
                                 f'{longest * 1000 / RATE:.0f} ms)' if gaps else '')
              + f'; start missing: {missing}')


def presses(folder, path):
    s = load(path)
    mono = array.array('i', (a + b for a, b in zip(s[0::2], s[1::2])))
    # Frame f was recorded by the time the read that brought it returned: the earliest such
    # bound over the reads around a press dates frame 0 there (late by the monitor's own
    # latency, a few ms at most). Around the press only: the sink's clock drifts from ours.
    reads = [(t, total / 4 / RATE)
             for t, total in (map(float, line.split()) for line in open(path + '.times'))]

    def origin(click):
        return min(t - recorded for t, recorded in reads if abs(t - click) < 2)
    clicks = [float(line.split()[1]) for line in open(os.path.join(folder, 'presses.txt'))
              if line.startswith('press ')]

    def template(name):
        raw = open(os.path.join(folder, name), 'rb').read()
        return [(b - 128) * 256 for b in raw[:220]]  # its first 20 ms at 11025 Hz

    button, attack = template('button.raw'), template('attack.raw')
    # The louder attack sound is found first and taken out (at the level it is heard, its
    # samples interpolated to the monitor's rate), then the button sound in what is left.
    attack_here = [attack[i // 4] + (attack[min(i // 4 + 1, len(attack) - 1)] - attack[i // 4])
                   * (i % 4) // 4 for i in range(4 * len(attack))]
    delays = {'button': [], 'attack': []}
    lags = range(-RATE // 100, RATE * 3 // 10)
    for click in clicks[:8]:  # the presses after quiet
        start = round((click - origin(click)) * RATE)
        onset = next((f for f in range(max(start, 0), len(mono)) if abs(mono[f]) > 600), None)
        if onset is None:
            continue
        lag, score = best_lag(mono, onset, attack, lags, step=4)
        if lag is None or score < 0.6:
            continue
        delays['attack'].append((onset + lag - start) * 1000 / RATE)
        heard = mono[onset + lag:onset + lag + len(attack_here):4]
        gain = sum(map(int.__mul__, heard, attack)) / sum(v * v for v in attack)
        rest = array.array('i', mono[onset + lags.start:onset + lags.stop + 4 * len(button)])
        for i, v in enumerate(attack_here):
            rest[lag - lags.start + i] -= round(gain * v)
        lag, score = best_lag(rest, -lags.start, button, lags, step=4)
        if lag is not None and score > 0.6:
            delays['button'].append((onset + lag - start) * 1000 / RATE)
    for name, values in delays.items():
        if not values:
            print(f'  {name} sound: not found after the presses')
            continue
        print(f'  {name} sound after a press after quiet: median {statistics.median(values):.0f} ms, '
              f'{min(values):.0f} to {max(values):.0f} ms ({len(values)} presses)')


def main():
    command, args = sys.argv[1], sys.argv[2:]
    if command == 'record':
        record(args[0])
    elif command == 'pops':
        pops(args)
    elif command == 'music':
        music(args[0], args[1:])
    elif command == 'presses':
        presses(args[0], args[1])
    else:
        sys.exit(f'pulse_check.py: unknown command {command}')


if __name__ == '__main__':
    main()
