#!/usr/bin/env python3
"""Finds which tones of the corpus clips sound in a recording of the sink's monitor.

    analyse_tones.py RECORDING.raw   (s16le, 2 channels, 44100 Hz)

Prints one line per tone heard for at least 150 ms, in order: "tone SECOND MS", where
SECOND is the clip second whose tone (400 + 100 * SECOND Hz) it is and MS how long it
sounded; then "sound_ms N" (all windows with sound) and "channel_diff X", the largest
difference between the channels relative to the level of the left one.
"""
import array
import math
import sys

RATE = 44100
WINDOW = RATE // 20          # 50 ms
MIN_RMS = 1000.0             # tones are made at half of full scale (RMS about 11600)
MIN_WINDOWS = 3


def goertzel(samples, hz):
    coefficient = 2 * math.cos(2 * math.pi * hz / RATE)
    previous = before = 0.0
    for s in samples:
        previous, before = s + coefficient * previous - before, previous
    return previous * previous + before * before - coefficient * previous * before


def main():
    data = array.array('h')
    with open(sys.argv[1], 'rb') as f:
        data.frombytes(f.read())
    left, right = data[0::2], data[1::2]
    runs = []  # [second, windows]
    sound_windows = 0
    diff = 0.0
    level = 0.0
    for start in range(0, len(left) - WINDOW + 1, WINDOW):
        window = left[start:start + WINDOW]
        rms = math.sqrt(sum(s * s for s in window) / WINDOW)
        if rms < MIN_RMS:
            continue
        sound_windows += 1
        level = max(level, rms)
        diff = max(diff, max(abs(a - b) for a, b in zip(window, right[start:start + WINDOW])))
        powers = [goertzel(window, 400 + 100 * k) for k in range(10)]
        second = powers.index(max(powers))
        if runs and runs[-1][0] == second:
            runs[-1][1] += 1
        else:
            runs.append([second, 1])
    merged = []
    for second, windows in runs:
        if windows < MIN_WINDOWS:
            continue
        if merged and merged[-1][0] == second:
            merged[-1][1] += windows
        else:
            merged.append([second, windows])
    for second, windows in merged:
        print("tone %d %d" % (second, windows * 50))
    print("sound_ms %d" % (sound_windows * 50))
    print("channel_diff %.4f" % (diff / level if level else 0.0))


if __name__ == '__main__':
    main()
