#!/usr/bin/env bash
# Checks with tools of our own neither that a joined clip lasts exactly as long as the sound
# of its two halves: ffprobe counts the frames of sound in each half (an encoder's Info frame
# in front of a file is none) and in the joined clip, and mpg123 decodes the joined clip to
# just as many samples.
set -euo pipefail
joined=${1:?usage: check_joined_length.sh JOINED.mp3 EARLIER.mp3 PART.mp3}
earlier=${2:?} part=${3:?}
[ -s "$joined" ] || { echo "FAIL: no joined clip at $joined"; exit 1; }
frames() {
  ffprobe -v error -count_frames -select_streams a:0 -show_entries stream=nb_read_frames -of default=nw=1:nk=1 "$1" | head -n 1
}
expected=$(($(frames "$earlier") + $(frames "$part")))
got=$(frames "$joined")
[ "$got" -eq "$expected" ] || { echo "FAIL: ffprobe finds $got frames in the joined clip, the halves hold $expected"; exit 1; }
wav=$(mktemp --suffix=.wav)
trap 'rm -f "$wav"' EXIT
mpg123 -q -w "$wav" "$joined"
samples=$(soxi -s "$wav")
[ "$samples" -eq $((expected * 1152)) ] || { echo "FAIL: mpg123 decodes $samples samples, the halves hold $((expected * 1152))"; exit 1; }
echo "PASS: the joined clip lasts $(awk -v n="$expected" 'BEGIN { printf "%.3f", n * 1152 / 44100 }') s, as its halves do"
