#!/usr/bin/env bash
# Makes adspot.mp3, the short chime played at each advertising spot: three rising plucked
# notes, about one second, in the recording format (44100 Hz mono, 96 kbit/s).
set -euo pipefail
out=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 1 -b 16 "$work/1.wav" synth 0.22 pluck C5 fade 0 0.22 0.08 vol 0.7
sox -n -r 44100 -c 1 -b 16 "$work/2.wav" synth 0.22 pluck E5 fade 0 0.22 0.08 vol 0.7
sox -n -r 44100 -c 1 -b 16 "$work/3.wav" synth 0.6 pluck G5 fade 0 0.6 0.35 vol 0.7
sox "$work/1.wav" "$work/2.wav" "$work/3.wav" "$work/jingle.wav" reverb 30 norm -3
lame --quiet -m m -b 96 --cbr "$work/jingle.wav" "$out"
