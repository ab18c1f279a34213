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
import operator
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
        score = sum(map(operator.mul, part, template)) / (norm_p * norm_t)
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
    # bound over the reads around a press dates frame 0 there. Around the press only: the
    # sink's clock drifts from ours. A server that mixes ahead of its clock (PulseAudio)
    # records a sound a little before it is due, so its delays can come out below zero.
    reads = [(t, total / 4 / RATE)
             for t, total in (map(float, line.split()) for line in open(path + '.times'))]

    def origin(click):
        return min(t - recorded for t, recorded in reads if abs(t - click) < 2)

    clicks = [float(line.split()[1]) for line in open(os.path.join(folder, 'presses.txt'))
              if line.startswith('press ')]

    def wave(name):  # the mixer's samples (11025 Hz), as 16-bit
        return [(b - 128) * 256 for b in open(os.path.join(folder, name), 'rb').read()]

    button, attack = wave('button.raw'), wave('attack.raw')
    # Each sound is found by a part that the other and a cut start leave alone: the attack
    # from 60 ms on (the button sound is over by then), the button from 10 ms on, in what is
    # left once the attack is taken out. The monitor holds four frames per mixer sample.
    attack_part, button_part = (661, 1212), (110, 661)
    found = {'button': [], 'attack': [], 'cut': []}
    for click in clicks[:8]:  # the presses after quiet
        start = round((click - origin(click)) * RATE)
        onset = next((f for f in range(max(start, 0), len(mono)) if abs(mono[f]) > 600), None)
        if onset is None:
            continue
        part = attack[attack_part[0]:attack_part[1]]
        at = onset + 4 * attack_part[0]
        coarse, score = best_lag(mono, at, part, range(-RATE // 50, RATE // 4, 4), step=4)
        if coarse is None or score < 0.8:
            continue
        lag, _ = best_lag(mono, at, part, range(coarse - 4, coarse + 5), step=4)
        a0 = onset + lag  # the frame of the attack's first sample
        before = 2 * len(attack)  # room for a button up to that far ahead
        grid = list(mono[a0 - 4 * before:a0 + 4 * len(attack):4])
        # Both on the same sample? The button's ringing makes a search of its own unsure by a
        # period; the two together either fit better there than the attack alone, or not.
        window = slice(*button_part)
        both = list(map(operator.add, attack[window], button[window]))
        _, together = best_lag(grid, before + window.start, both, range(0, 1))
        _, alone = best_lag(grid, before + window.start, attack[window], range(0, 1))
        if together > 0.95 and 1 - together < (1 - alone) / 2:  # the button takes half the misfit
            found['attack'].append((a0 - start) * 1000 / RATE)
            found['button'].append((a0 - start) * 1000 / RATE)
            loud = next(f for f in range(a0, len(mono)) if abs(mono[f]) > 300)
            found['cut'].append(max(loud - a0, 0) * 1000 / RATE)
            continue
        heard = grid[before + attack_part[0]:before + attack_part[1]]
        gain = sum(map(operator.mul, heard, part)) / sum(v * v for v in part)
        for i, v in enumerate(attack):
            grid[before + i] -= round(gain * v)
        offset, score = best_lag(grid, before + button_part[0], button[button_part[0]:button_part[1]],
                                 range(-before + 1, len(attack) // 2))
        b0 = a0 + 4 * offset if offset is not None and score > 0.6 else None
        found['attack'].append((a0 - start) * 1000 / RATE)
        if b0 is not None:
            found['button'].append((b0 - start) * 1000 / RATE)
        first = min(a0, b0 if b0 is not None else a0)
        loud = next(f for f in range(first, len(mono)) if abs(mono[f]) > 300)
        found['cut'].append(max(loud - first, 0) * 1000 / RATE)
    for name in ('button', 'attack'):
        values = found[name]
        if not values:
            print(f'  {name} sound: not found after the presses')
            continue
        print(f'  {name} sound after a press after quiet: median {statistics.median(values):.0f} ms, '
              f'{min(values):.0f} to {max(values):.0f} ms ({len(values)} presses)')
    if found['cut']:
        print(f'  start of a sound missing after a press after quiet: at most {max(found["cut"]):.1f} ms')


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
