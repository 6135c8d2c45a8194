#!/usr/bin/env bash
# Makes two clips in the recording format (MPEG-1 Layer III, 44100 Hz, mono, 96 kbit/s CBR,
# CRC in every frame, no tag) for the join tests: earlier.mp3 (4 s at 440 Hz) and part.mp3
# (2 s at 880 Hz).
set -euo pipefail
out=${1:?usage: make_join_clips.sh OUT_DIR}
rm -rf "$out"
mkdir -p "$out"
cd "$out"
clip() {  # SECONDS HZ NAME
  sox -q -n -r 44100 -c 1 -b 16 "$3.wav" synth "$1" sine "$2" vol 0.5
  lame --quiet -t -p --cbr -b 96 -m m "$3.wav" "$3.mp3"
  rm -f "$3.wav"
}
clip 4 440 earlier
clip 2 880 part
