#!/usr/bin/env bash
# Makes two clips in the recording format (MPEG-1 Layer III, 44100 Hz, mono, 96 kbit/s CBR,
# CRC in every frame, no tag) for the join tests: earlier.mp3 (4 s at 440 Hz) and part.mp3
# (2 s at 880 Hz); and part_info.mp3, the same sound as part.mp3 with the encoder's Info
# frame in front, as encoders write it unless told not to.
set -euo pipefail
out=${1:?usage: make_join_clips.sh OUT_DIR}
rm -rf "$out"
mkdir -p "$out"
cd "$out"
clip() {  # SECONDS HZ NAME [LAME OPTION...]
  sox -q -n -r 44100 -c 1 -b 16 "$3.wav" synth "$1" sine "$2" vol 0.5
  lame --quiet -p --cbr -b 96 -m m "${@:4}" "$3.wav" "$3.mp3"
  rm -f "$3.wav"
}
clip 4 440 earlier -t
clip 2 880 part -t
clip 2 880 part_info
