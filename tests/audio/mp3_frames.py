#!/usr/bin/env python3
"""Walks the MPEG audio frames of a file and checks them against the recording format.

    mp3_frames.py FILE [--allow-truncated-end]

Prints "frames N", "bytes N", "seconds S" (N x 1152 / 44100) and "bytes_per_second B".
Exits 1, naming the first offending frame, unless every byte belongs to a frame that is
MPEG-1 Layer III, protected by a CRC (protection bit 0), 96 kbit/s, 44100 Hz, mono.
With --allow-truncated-end the last frame may be cut short (a file whose writer was killed);
it is not counted, and "truncated_tail N" gives its length.
"""
import sys

BITRATES_L3 = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0]
SAMPLES_PER_FRAME = 1152
RATE = 44100


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def main():
    data = open(sys.argv[1], "rb").read()
    allow_truncated = "--allow-truncated-end" in sys.argv[2:]
    offset = frames = tail = 0
    while offset < len(data):
        if len(data) - offset < 4:
            if allow_truncated:
                tail = len(data) - offset
                break
            fail("%d stray bytes at the end" % (len(data) - offset))
        h = int.from_bytes(data[offset:offset + 4], "big")
        where = "frame %d at byte %d (header %08x)" % (frames, offset, h)
        if h >> 21 != 0x7FF:
            fail(where + ": no frame sync")
        if (h >> 19) & 3 != 3:
            fail(where + ": not MPEG-1")
        if (h >> 17) & 3 != 1:
            fail(where + ": not Layer III")
        if (h >> 16) & 1 != 0:
            fail(where + ": protection bit set (no CRC)")
        if BITRATES_L3[(h >> 12) & 15] != 96:
            fail(where + ": bitrate is not 96 kbit/s")
        if (h >> 10) & 3 != 0:
            fail(where + ": sample rate is not 44100 Hz")
        if (h >> 6) & 3 != 3:
            fail(where + ": not mono")
        size = 144 * 96000 // RATE + ((h >> 9) & 1)
        if offset + size > len(data):
            if allow_truncated:
                tail = len(data) - offset
                break
            fail(where + ": truncated")
        offset += size
        frames += 1
    seconds = frames * SAMPLES_PER_FRAME / RATE
    print("frames %d" % frames)
    print("bytes %d" % (len(data) - tail))
    if allow_truncated:
        print("truncated_tail %d" % tail)
    print("seconds %.4f" % seconds)
    print("bytes_per_second %.1f" % ((len(data) - tail) / seconds if seconds else 0))


main()
